// A file's path as the 8-bit (Latin-1) text of a pane or message: the file system's names are
// UTF-8, so each character is decoded and kept when Latin-1 holds it, "?" otherwise. A byte
// that does not begin valid UTF-8 is taken as the Latin-1 character it already is.
#pragma once

#include <string>
#include <string_view>

namespace zentrip {

std::string PathAsLatin1(std::string_view path);

}  // namespace zentrip
