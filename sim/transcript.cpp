#include "sim/transcript.h"

#include <charconv>
#include <cstdio>

namespace zentrip::sim {

namespace {
int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

std::string EscapeBytes(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
            case '\r':
                out += "\\r";
                continue;
            case '\n':
                out += "\\n";
                continue;
            case '\t':
                out += "\\t";
                continue;
            case '\\':
                out += "\\\\";
                continue;
            default:
                break;
        }
        if (u < 0x20 || u >= 0x7f) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> UnescapeBytes(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case '\\':
                out += '\\';
                break;
            case 'x': {
                if (i + 2 >= text.size()) return std::nullopt;
                const int hi = HexDigit(text[i + 1]);
                const int lo = HexDigit(text[i + 2]);
                if (hi < 0 || lo < 0) return std::nullopt;
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    return out;
}

std::string FormatTranscriptLine(const TranscriptEntry& entry) {
    return std::to_string(entry.ms) + (entry.direction == Direction::Received ? " rx " : " tx ") +
           EscapeBytes(entry.bytes);
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
    auto bytes = UnescapeBytes(rest.substr(4));
    if (!bytes) return std::nullopt;
    entry.bytes = std::move(*bytes);
    return entry;
}

}  // namespace zentrip::sim
