// Texts of the run: printf-style formatting of its messages and its rule for line ends,
// shared by the run and the expansion preview so both show a line the same way.
#pragma once

#include <string>

namespace zentrip {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A final LF becomes CR, and a line that does not end in CR gets one: every line the run
// delivers ends in CR.
void NormaliseLineEnd(std::string& line);

}  // namespace zentrip
