#include "app/worker/editor_status_sink.h"

#include <algorithm>

namespace zentrip {

void EditorStatusSink::SetText(std::string_view text) {
    const std::size_t length = Length();
    m_editor.RemoveStatus(0, length - std::min(length, text.size()));
    m_start = m_end = 0;
}

void EditorStatusSink::SetSelection(std::size_t start, std::size_t end) {
    const std::size_t length = Length();
    m_start = std::min(start, length);
    m_end = std::clamp(end, m_start, length);
}

void EditorStatusSink::GetSelection(std::size_t* start, std::size_t* end) const {
    if (start) *start = m_start;
    if (end) *end = m_end;
}

void EditorStatusSink::ClearSelection() {
    m_editor.RemoveStatus(m_start, m_end);
    m_end = m_start;
}

void EditorStatusSink::ReplaceSelection(std::string_view text) {
    ClearSelection();
    // Status lines only ever grow at the editor's end.
    m_editor.AppendStatus(text);
    m_start = m_end = Length();
}

}  // namespace zentrip
