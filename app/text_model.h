// TextModel: the text of a pane (the source editor, the results pane) as the logic sees it:
// 8-bit characters with CR LF line ends counted as two, positions and selection as the
// TextSink contract says. It is the truth; the widget that shows it is a mirror that takes
// the model's changes as small edits of its own document, where a CR LF pair, a lone CR and
// a lone LF are each one line break. So an append stays an append for the widget, and a
// long pane's cut is a deletion at its start, never a new layout of the whole text.
//
// Threads: every operation takes the model's own lock, so the thread doing serial work
// writes while the window thread reads the changes (TakeUpdate) and the user's edits
// (ApplyWidgetEdit, only while no change waits for the widget).
#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_sink.h"

namespace zentrip {

class TextModel final : public TextSink {
public:
    // Replace `removed` widget characters at `start` by `text` (the model's characters);
    // kWholeText removes everything from `start` on.
    static constexpr std::size_t kWholeText = static_cast<std::size_t>(-1);
    struct Edit {
        std::size_t start = 0;
        std::size_t removed = 0;
        std::string text;
        bool operator==(const Edit&) const = default;
    };
    // What the widget has not shown yet: the edits in order, then its selection.
    struct Update {
        std::vector<Edit> edits;
        bool selectionChanged = false;
        std::size_t selectionStart = 0;  // widget positions
        std::size_t selectionEnd = 0;
        bool scrollCaret = false;
    };

    // Called, outside the lock, whenever an update begins to wait for the widget.
    void SetWake(std::function<void()> wake);

    std::size_t Length() const override;
    std::string Text() const override;
    void SetText(std::string_view text) override;
    void SetSelection(std::size_t start, std::size_t end) override;
    void GetSelection(std::size_t* start, std::size_t* end) const override;
    void ScrollCaret() override;
    void ClearSelection() override;
    void ReplaceSelection(std::string_view text) override;

    // How many times SetText replaced the whole text.
    std::size_t Loads() const;

    // The widget's side (window thread).
    Update TakeUpdate();
    // The user changed the widget: `removed` characters at widget position `start` became
    // `inserted` (Latin-1, a line break as LF, which the model keeps as CR LF). `exact` is
    // false when the widget holds characters Latin-1 cannot; an edit then follows that puts
    // the model's text back into the widget.
    void ApplyWidgetEdit(std::size_t start, std::size_t removed, std::string_view inserted,
                         bool exact);
    // The widget's selection (widget positions), for the logic to read.
    void SetWidgetSelection(std::size_t start, std::size_t end);

private:
    struct Region {
        std::size_t start;
        std::size_t end;
    };
    // Replaces [start, end) by text and returns the edit that shows it (the lock is held).
    Edit ReplaceLocked(std::size_t start, std::size_t end, std::string_view text);
    void Queue(std::optional<Edit> edit, bool selectionChanged, bool scroll,
               std::unique_lock<std::mutex> lock);
    Region Widen(std::size_t start, std::size_t end) const;
    std::size_t PairsIn(std::size_t start, std::size_t end) const;
    std::size_t WidgetPosition(std::size_t position) const;
    std::size_t ModelPosition(std::size_t widgetPosition) const;

    mutable std::mutex m_mutex;
    std::string m_text;
    std::size_t m_pairs = 0;  // CR LF pairs in m_text
    std::size_t m_loads = 0;
    std::size_t m_start = 0;
    std::size_t m_end = 0;
    Update m_pending;
    std::size_t m_pendingEnd = 0;  // widget position after the last pending edit
    bool m_waiting = false;        // an update waits for the widget
    std::function<void()> m_wake;
};

}  // namespace zentrip
