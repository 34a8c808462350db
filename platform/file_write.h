// Writing files whole: every byte or an error, and replacements that survive a crash.
#pragma once

#include <string>
#include <string_view>

namespace zentrip {

// Writes all of bytes, however many calls that takes. 0, or the errno of the write that
// failed (EIO for one that wrote nothing).
int WriteAll(int fd, std::string_view bytes);

// Puts the file at from in to's place and makes the change to to's folder last too, or a crash
// could bring the old file back. from must be written and synced already, in the same folder.
// 0, or the errno of the rename.
int ReplaceFile(const std::string& from, const std::string& to);

}  // namespace zentrip
