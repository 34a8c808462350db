// Writing files whole: every byte or an error, and replacements that survive a crash.
#pragma once

#include <string_view>

namespace zentrip {

// Writes all of bytes, however many calls that takes. 0, or the errno of the write that
// failed (EIO for one that wrote nothing).
int WriteAll(int fd, std::string_view bytes);

}  // namespace zentrip
