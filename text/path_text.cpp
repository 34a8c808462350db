#include "text/path_text.h"

namespace zentrip {

namespace {

// The length of the valid UTF-8 sequence at the start of `text` and its code point; 0 when
// the first byte does not begin one.
std::size_t DecodeUtf8(std::string_view text, char32_t* point) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead >= 0xF0 && lead < 0xF5   ? 4
                               : lead >= 0xE0                ? 3
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                                                             : 0;
    if (length == 0 || text.size() < length) return 0;
    char32_t value = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) return 0;
        value = value << 6 | (next & 0x3F);
    }
    // Overlong forms and surrogates are not characters.
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kLeast[length] || value > 0x10FFFF || (value >= 0xD800 && value < 0xE000)) return 0;
    *point = value;
    return length;
}

}  // namespace

std::string PathAsLatin1(std::string_view path) {
    std::string text;
    text.reserve(path.size());
    while (!path.empty()) {
        char32_t point = 0;
        const std::size_t length =
            static_cast<unsigned char>(path[0]) < 0x80 ? 0 : DecodeUtf8(path, &point);
        if (length == 0) {
            text += path[0];
            path.remove_prefix(1);
            continue;
        }
        text += point <= 0xFF ? static_cast<char>(point) : '?';
        path.remove_prefix(length);
    }
    return text;
}

}  // namespace zentrip
