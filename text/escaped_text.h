// C-style escapes that keep any byte on one text line: \\ \r \n \t, and \xHH (upper-case hex)
// for every other control or non-ASCII byte. Formats that put the text between double quotes
// also escape the quote; the others leave it bare, so each format reads exactly what it writes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zentrip {

enum class QuoteEscape {
    Bare,     // '"' is an ordinary byte; \" is refused on reading
    Escaped,  // '"' is written \"; a bare '"' is refused on reading
};

std::string EscapeText(std::string_view bytes, QuoteEscape quote);
// Empty when the text holds an unknown or cut-off escape, or a quote the format forbids.
std::optional<std::string> UnescapeText(std::string_view text, QuoteEscape quote);

}  // namespace zentrip
