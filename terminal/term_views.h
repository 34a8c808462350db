// The terminal's optional views of what arrives, beside its plain display rules: the time a
// line began, bytes in hex, and the log with times. None changes what is sent; each is
// applied from the next byte on and never rewrites what was shown or logged.
//
// Times are milliseconds since 1970 UTC, shown as local time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zentrip {

// "HH:MM:SS.mmm ", the local time of `epochMs`.
std::string TimePrefix(std::int64_t epochMs);

// Received bytes as lines of 16: two hex digits each, then their printable ASCII characters
// (a dot for every other byte). A line ends when it is full or, so a reply stands apart from
// the next, when more than kPauseMs pass after its last byte. Lines end with CR, ready for the
// display rules; with times on, each starts with the time of its first byte.
class CHexView {
public:
    static constexpr std::size_t kBytesPerLine = 16;
    static constexpr std::int64_t kPauseMs = 100;

    void SetShowTime(bool on) { m_showTime = on; }
    // Bytes that arrived at `nowMs`: the lines they end.
    std::string Received(std::string_view bytes, std::int64_t nowMs);
    // The line begun when its pause is over at `nowMs`, else nothing.
    std::string Flush(std::int64_t nowMs);
    // The line begun, at once (the view is switched off).
    std::string TakePartial();
    // When Flush will end the line begun; empty while none is.
    std::optional<std::int64_t> FlushDue() const;

private:
    std::string m_bytes;  // of the line begun
    std::string m_prefix;
    std::int64_t m_lastMs = 0;
    bool m_showTime = false;
};

// The "Log with Times" rule: the log's bytes stay as received, and a prefix goes before the
// first byte of every line, a line ending at LF, at CR LF or at a CR that no LF follows. It
// follows the lines whether or not a prefix is given, so switching on mid-line waits for the
// next line.
class CLogTimes {
public:
    std::string Stamp(std::string_view bytes, std::string_view prefix);

private:
    bool m_lineStart = true;
    bool m_afterCr = false;
};

}  // namespace zentrip
