// printf into a std::string, with the compiler checking the arguments against the format.
#pragma once

#include <string>

namespace zentrip {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace zentrip
