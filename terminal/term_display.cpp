#include "terminal/term_display.h"

#include <utility>

namespace zentrip {

namespace {

constexpr char kBackspace = 0x08;

}  // namespace

std::string CTermDisplay::DisplayForm(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            shown += '\n';
            ++i;
        } else if (c != '\r' && c != '\n') {
            shown += c;
        }
    }
    return shown;
}

void CTermDisplay::ShowReceived(std::string_view chunk, std::string_view linePrefix) {
    std::string pending;
    for (const char c : chunk) {
        if (c == '\0') break;
        if (c == '\n') continue;
        const bool lineStart = pending.empty() ? AtLineStart() : pending.ends_with("\r\n");
        if (c != kBackspace && lineStart) pending += linePrefix;
        if (c == '\r') {
            pending += "\r\n";
        } else if (c == kBackspace) {
            if (pending.empty()) {
                RemoveLast();
            } else {
                pending.pop_back();
            }
        } else {
            pending += c;
        }
    }
    CutIfLong();
    Append(pending);
}

void CTermDisplay::Echo(char typed) {
    if (typed == kBackspace) return RemoveLast();
    if (typed == '\n') return;
    CutIfLong();
    // Inserted as a zero-terminated text, so a typed zero shows nothing.
    if (typed == '\r') {
        Append("\r\n");
    } else if (typed != '\0') {
        Append(std::string_view(&typed, 1));
    }
}

CTermDisplay::Change CTermDisplay::TakeChange() { return std::exchange(m_change, {}); }

void CTermDisplay::RemoveLast() {
    if (m_text.empty()) return;
    const std::size_t n = m_text.size();
    const char last = m_text[n - 1];
    const bool shown = last == '\n' ? n >= 2 && m_text[n - 2] == '\r' : last != '\r';
    m_text.pop_back();
    if (!shown) return;
    if (m_change.appended.empty()) {
        ++m_change.removed;
    } else {
        m_change.appended.pop_back();
    }
}

void CTermDisplay::CutIfLong() {
    if (m_text.size() <= kCutAbove) return;
    m_text.erase(0, m_text.size() - kKeep);
    m_change.reset = true;
}

// Text added never starts with a LF (received LFs are dropped, a CR always brings its own), so
// no CR LF pair spans the joint and the display form of the whole is that of the two parts.
void CTermDisplay::Append(std::string_view text) {
    m_text += text;
    m_change.appended += DisplayForm(text);
}

}  // namespace zentrip
