#include "sim/transcript.h"

#include <charconv>

#include "text/escaped_text.h"

namespace zentrip::sim {

std::string FormatTranscriptLine(const TranscriptEntry& entry) {
    return std::to_string(entry.ms) + (entry.direction == Direction::Received ? " rx " : " tx ") +
           EscapeText(entry.bytes, QuoteEscape::Bare);
}

std::optional<TranscriptEntry> ParseTranscriptLine(std::string_view line) {
    TranscriptEntry entry{};
    const auto [ptr, ec] = std::from_chars(line.data(), line.data() + line.size(), entry.ms);
    if (ec != std::errc()) return std::nullopt;
    const std::string_view rest = line.substr(static_cast<std::size_t>(ptr - line.data()));
    if (rest.substr(0, 4) == " rx ") {
        entry.direction = Direction::Received;
    } else if (rest.substr(0, 4) == " tx ") {
        entry.direction = Direction::Sent;
    } else {
        return std::nullopt;
    }
    auto bytes = UnescapeText(rest.substr(4), QuoteEscape::Bare);
    if (!bytes) return std::nullopt;
    entry.bytes = std::move(*bytes);
    return entry;
}

}  // namespace zentrip::sim
