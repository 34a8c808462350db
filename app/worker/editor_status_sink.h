// EditorStatusSink: the editor's status lines as a text sink of their own, for the progress
// writer (text/edit_writer.h): its text is theirs alone, what it is given is appended to
// the editor's end as Zentrip's own, and neither the user's selection nor the user's text
// is touched, so a cut of long progress text takes only old status lines.
#pragma once

#include "app/worker/text_model.h"

namespace zentrip {

class EditorStatusSink final : public TextSink {
public:
    explicit EditorStatusSink(TextModel& editor) : m_editor(editor) {}

    std::size_t Length() const override { return m_editor.StatusText().size(); }
    std::string Text() const override { return m_editor.StatusText(); }
    // Keeps only `text`, which the writer gives as the last of the status lines.
    void SetText(std::string_view text) override;
    // The writer's place among the status lines; the user's caret is the editor's own.
    void SetSelection(std::size_t start, std::size_t end) override;
    void GetSelection(std::size_t* start, std::size_t* end) const override;
    void ScrollCaret() override {}
    void ClearSelection() override;
    void ReplaceSelection(std::string_view text) override;

private:
    TextModel& m_editor;
    std::size_t m_start = 0;
    std::size_t m_end = 0;
};

}  // namespace zentrip
