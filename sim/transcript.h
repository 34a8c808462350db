// The simulator's record of the line: every chunk received and sent, in order, with the
// millisecond it happened at. One text line per chunk, "<ms> <rx|tx> <bytes>", where the
// bytes are escaped so that a line never holds a control character: \r \n \t \\ and \xHH.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentrip::sim {

enum class Direction { Received, Sent };

struct TranscriptEntry {
    std::uint64_t ms;
    Direction direction;
    std::string bytes;
};

using Transcript = std::vector<TranscriptEntry>;

std::string EscapeBytes(std::string_view bytes);
std::optional<std::string> UnescapeBytes(std::string_view text);
// "<ms> rx <escaped bytes>" without a line end.
std::string FormatTranscriptLine(const TranscriptEntry& entry);
std::optional<TranscriptEntry> ParseTranscriptLine(std::string_view line);

}  // namespace zentrip::sim
