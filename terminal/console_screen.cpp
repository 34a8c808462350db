#include "terminal/console_screen.h"

#include <algorithm>
#include <cstdio>

namespace zentrip {

namespace {

constexpr std::size_t kTabStop = 8;
// What is kept of the text shown, for erasing: far more than the terminal itself keeps.
constexpr std::size_t kShownLimit = 4 * CTermDisplay::kCutAbove;

std::string Escape(std::size_t count, char command) {
    return "\x1b[" + std::to_string(count) + command;
}

}  // namespace

std::string ConsoleScreen::Cell(char c, std::size_t column) const {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n') return "\r\n";
    if (c == '\t') return std::string(kTabStop - column % kTabStop, ' ');
    if (byte < 0x20 || byte == 0x7F) return {'^', static_cast<char>(byte ^ 0x40)};
    if (byte >= 0x80 && byte < 0xA0) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "<%02X>", byte);
        return hex;
    }
    if (byte < 0x80 || !m_utf8) return std::string(1, c);
    return {static_cast<char>(0xC0 | byte >> 6), static_cast<char>(0x80 | (byte & 0x3F))};
}

std::size_t ConsoleScreen::Advance(char c, std::size_t column) const {
    if (c == '\n') return 0;
    const auto byte = static_cast<unsigned char>(c);
    return column + (m_utf8 && byte >= 0xA0 ? 1 : Cell(c, column).size());
}

// The column after the last character shown on the current line.
std::size_t ConsoleScreen::EndColumn() const {
    const std::size_t lineStart = m_shown.rfind('\n');
    std::size_t column = 0;
    for (std::size_t i = lineStart == std::string::npos ? 0 : lineStart + 1; i < m_shown.size();
         ++i) {
        column = Advance(m_shown[i], column);
    }
    return column;
}

std::string ConsoleScreen::Render(const CTermDisplay::Change& change) {
    std::string out;
    const std::size_t removed = std::min(change.removed, m_shown.size());
    if (removed > 0) {
        const auto lines = static_cast<std::size_t>(
            std::count(m_shown.end() - static_cast<std::ptrdiff_t>(removed), m_shown.end(), '\n'));
        m_shown.resize(m_shown.size() - removed);
        if (lines > 0) out += Escape(lines, 'A');
        out += '\r';
        if (const std::size_t column = EndColumn(); column > 0) out += Escape(column, 'C');
        out += "\x1b[J";
    }
    std::size_t column = change.appended.empty() ? 0 : EndColumn();
    for (const char c : change.appended) {
        out += Cell(c, column);
        column = Advance(c, column);
        m_shown += c;
    }
    if (m_shown.size() > kShownLimit) m_shown.erase(0, m_shown.size() - kShownLimit / 2);
    return out;
}

std::string ConsoleKeys::Translate(std::string_view typed) {
    std::string bytes;
    for (const char c : typed) {
        const auto byte = static_cast<unsigned char>(c);
        if (!m_utf8 || byte < 0x80) {
            m_partial.clear();
            bytes += c == m_eraseKey ? '\b' : c;
            continue;
        }
        if (byte >= 0xC0) {
            m_partial.assign(1, c);
            continue;
        }
        if (m_partial.empty()) continue;  // a stray continuation byte
        m_partial += c;
        const auto lead = static_cast<unsigned char>(m_partial[0]);
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (m_partial.size() < length) continue;
        // Two-byte characters up to U+00FF are Latin-1: lead 0xC2 or 0xC3.
        if (length == 2 && (lead == 0xC2 || lead == 0xC3)) {
            bytes += static_cast<char>((lead & 0x03) << 6 | (byte & 0x3F));
        }
        m_partial.clear();
    }
    return bytes;
}

}  // namespace zentrip
