// TextModel: the text of a pane (the source editor, the results pane) as the logic sees it:
// 8-bit characters with CR LF line ends counted as two, positions and selection as the
// TextSink contract says. It is the truth; the widget that shows it is a mirror that takes
// the model's changes as small edits of its own document, where a CR LF pair, a lone CR and
// a lone LF are each one line break. So an append stays an append for the widget, and a
// long pane's cut is a deletion at its start, never a new layout of the whole text.
//
// The editor's model also knows which characters Zentrip wrote there itself (status lines,
// app/worker/status_marks.h), keeps the user's undo history (a load or a status line never enters
// it) and whether the user typed since the last load or save.
//
// Threads: every operation takes the model's own lock, so the thread doing serial work
// writes while the window thread reads the changes (TakeUpdate) and the user's edits
// (ApplyWidgetEdit, which takes account of the changes the widget has not shown yet).
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/worker/status_marks.h"
#include "text/text_sink.h"

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
    // What the widget has not shown yet: the edits in order, then its selection and where the
    // status lines are (widget positions), once no edit is left for a later update.
    struct Update {
        std::vector<Edit> edits;
        bool more = false;  // a long text goes in steps: edits wait for the next update
        bool selectionChanged = false;
        std::size_t selectionStart = 0;
        std::size_t selectionEnd = 0;
        bool scrollCaret = false;
        bool statusChanged = false;
        std::vector<StatusMarks::Range> status{};
    };
    // The user's state of a text that the logic replaces and puts back (a run from the
    // editor): the status marks, the undo history and whether the user typed.
    struct Kept;

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
    std::string ProgramText(std::size_t start, std::size_t end) const override;

    // How many times SetText replaced the whole text.
    std::size_t Loads() const;

    // Zentrip's own lines: appended at the end; the user's selection stays.
    void AppendStatus(std::string_view text);
    std::string StatusText() const;
    // Removes the characters [start, end) of StatusText().
    void RemoveStatus(std::size_t start, std::size_t end);

    // The user's side. Typed: the user changed the text since the last load or MarkSaved.
    bool Typed() const;
    void MarkSaved();
    // Empties the text as an edit of the user's, which Undo takes back.
    void ClearByUser();
    bool Undo();
    bool Redo();
    bool CanUndo() const;
    bool CanRedo() const;
    std::shared_ptr<const Kept> Keep() const;
    // Puts the kept state back if the text is again the kept one, perhaps followed by status
    // lines appended since.
    void Reinstate(const Kept& kept);

    // The widget's side (window thread). At most about `budget` characters of edits.
    Update TakeUpdate(std::size_t budget = kWholeText);
    // The user changed the widget: `removed` characters at widget position `start` became
    // `inserted` (Latin-1, a line break as LF, which the model keeps as CR LF). `exact` is
    // false when the widget holds characters Latin-1 cannot; an edit then follows that puts
    // the model's text back into the widget. True when the edit met a status line.
    bool ApplyWidgetEdit(std::size_t start, std::size_t removed, std::string_view inserted,
                         bool exact);
    // The status lines in widget positions, when the widget shows every change so far.
    std::optional<std::vector<StatusMarks::Range>> StatusShownNow() const;
    // The widget's selection (widget positions), for the logic to read.
    void SetWidgetSelection(std::size_t start, std::size_t end);

private:
    struct UndoStep {
        std::size_t start = 0;
        std::string removed;
        std::string inserted;
        std::vector<StatusMarks::Range> removedMarks;
    };
    struct Region {
        std::size_t start;
        std::size_t end;
    };
    // Replaces [start, end) by text and returns the edit that shows it (the lock is held).
    Edit ReplaceLocked(std::size_t start, std::size_t end, std::string_view text,
                       bool status = false);
    void Queue(std::optional<Edit> edit, bool selectionChanged, bool scroll,
               std::unique_lock<std::mutex> lock, bool statusChanged = false);
    // A user's edit in model positions, kept for Undo.
    void Record(UndoStep step);
    bool Step(std::vector<UndoStep>& from, std::vector<UndoStep>& to, bool undo,
              std::unique_lock<std::mutex> lock);
    // Adds an edit for the widget (the lock is held).
    void Pend(Edit edit);
    // The user's edit at widget position `start` as the widget had it before the pending
    // edits; false when a pending edit replaces the text it was made in.
    bool PastPending(std::size_t* start, std::size_t removed, std::size_t added);
    Region Widen(std::size_t start, std::size_t end) const;
    std::size_t PairsIn(std::size_t start, std::size_t end) const;
    std::size_t WidgetPosition(std::size_t position) const;
    std::vector<StatusMarks::Range> WidgetStatus() const;
    std::size_t ModelPosition(std::size_t widgetPosition) const;

    mutable std::mutex m_mutex;
    std::string m_text;
    std::size_t m_pairs = 0;  // CR LF pairs in m_text
    std::size_t m_loads = 0;
    StatusMarks m_marks;
    std::vector<UndoStep> m_undo;
    std::vector<UndoStep> m_redo;
    bool m_typed = false;
    std::size_t m_start = 0;
    std::size_t m_end = 0;
    Update m_pending;
    std::size_t m_pendingEnd = 0;  // widget position after the last pending edit
    bool m_waiting = false;        // an update waits for the widget
    std::function<void()> m_wake;
};

struct TextModel::Kept {
    std::string text;
    StatusMarks marks;
    std::vector<UndoStep> undo;
    std::vector<UndoStep> redo;
    bool typed = false;
};

}  // namespace zentrip
