// Bytes of the logic as a window shows them, and back. Program text, captions and line bytes
// are 8-bit characters, one byte each (Latin-1); file paths are the file system's bytes in the
// local 8-bit encoding.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace zentrip {

QString Latin1(std::string_view bytes);
// Latin-1 with each CR LF or lone CR, as the program's texts end lines, as a line break.
QString Latin1Lines(std::string_view bytes);

QString PathText(const std::string& path);
std::string PathBytes(const QString& path);

}  // namespace zentrip
