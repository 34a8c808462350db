#include "text/memory_text_sink.h"

#include <algorithm>

namespace zentrip {

void MemoryTextSink::SetText(std::string_view text) {
    m_text.assign(text);
    m_start = m_end = 0;
    Notify(Change::Set, text);
}

void MemoryTextSink::SetSelection(std::size_t start, std::size_t end) {
    m_start = std::min(start, m_text.size());
    m_end = std::min(std::max(end, m_start), m_text.size());
}

void MemoryTextSink::GetSelection(std::size_t* start, std::size_t* end) const {
    if (start) *start = m_start;
    if (end) *end = m_end;
}

void MemoryTextSink::ClearSelection() {
    if (m_start == m_end) return;
    const std::string removed = m_text.substr(m_start, m_end - m_start);
    m_text.erase(m_start, m_end - m_start);
    m_end = m_start;
    Notify(Change::Deleted, removed);
}

void MemoryTextSink::ReplaceSelection(std::string_view text) {
    m_text.replace(m_start, m_end - m_start, text);
    m_start = m_end = m_start + text.size();
    Notify(Change::Inserted, text);
}

}  // namespace zentrip
