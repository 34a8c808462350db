// What of a line goes to a controller on the cable: blanks, tabs and double quotes are left
// out, the line ends at its first ';', '#', CR, LF or NUL, and every other character is sent
// (in upper case). The direct exchange sends by this rule; the editor's analysis marks by it.
#pragma once

namespace zentrip {

enum class SentChar { kSkipped, kSent, kEnd };

constexpr SentChar ClassifySentChar(char ch) {
    if (ch == ' ' || ch == '\t' || ch == '"') return SentChar::kSkipped;
    if (ch == ';' || ch == '\r' || ch == '\n' || ch == '#' || ch == '\0') return SentChar::kEnd;
    return SentChar::kSent;
}

}  // namespace zentrip
