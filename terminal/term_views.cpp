#include "terminal/term_views.h"

#include <ctime>

#include "text/format_text.h"

namespace zentrip {

std::string TimePrefix(std::int64_t epochMs) {
    const std::time_t seconds = static_cast<std::time_t>(epochMs / 1000);
    std::tm tm{};
    localtime_r(&seconds, &tm);
    return Format("%02d:%02d:%02d.%03d ", tm.tm_hour, tm.tm_min, tm.tm_sec,
                  static_cast<int>(epochMs % 1000));
}

std::string CHexView::Received(std::string_view bytes, std::int64_t nowMs) {
    std::string lines = Flush(nowMs);
    for (const char byte : bytes) {
        if (m_bytes.empty()) m_prefix = m_showTime ? TimePrefix(nowMs) : "";
        m_bytes += byte;
        if (m_bytes.size() == kBytesPerLine) lines += TakePartial();
    }
    m_lastMs = nowMs;
    return lines;
}

std::string CHexView::Flush(std::int64_t nowMs) {
    return m_bytes.empty() || nowMs - m_lastMs <= kPauseMs ? "" : TakePartial();
}

std::optional<std::int64_t> CHexView::FlushDue() const {
    if (m_bytes.empty()) return std::nullopt;
    return m_lastMs + kPauseMs + 1;
}

std::string CHexView::TakePartial() {
    if (m_bytes.empty()) return "";
    std::string hex = m_prefix;
    std::string chars;
    for (std::size_t i = 0; i < kBytesPerLine; ++i) {
        if (i >= m_bytes.size()) {
            hex += "   ";
            continue;
        }
        const auto byte = static_cast<unsigned char>(m_bytes[i]);
        hex += Format("%02X ", byte);
        chars += byte >= 0x20 && byte < 0x7f ? static_cast<char>(byte) : '.';
    }
    m_bytes.clear();
    return hex + " " + chars + "\r";
}

std::string CLogTimes::Stamp(std::string_view bytes, std::string_view prefix) {
    std::string out;
    out.reserve(bytes.size());
    for (const char byte : bytes) {
        const bool endsCrLf = m_afterCr && byte == '\n';
        m_afterCr = byte == '\r';
        if (m_lineStart && !endsCrLf) out += prefix;
        m_lineStart = byte == '\n' || byte == '\r';
        out += byte;
    }
    return out;
}

}  // namespace zentrip
