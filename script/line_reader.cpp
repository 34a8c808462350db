#include "script/line_reader.h"

namespace zentrip {

ReadResult ReadTextLine(std::FILE* file, char* buf, int n, std::size_t* length) {
    const std::size_t max = n > 1 ? static_cast<std::size_t>(n - 1) : 0;
    std::size_t count = 0;
    ReadTextPiece(file, max, [&](char ch) { buf[count++] = ch; });
    buf[count] = '\0';
    if (length != nullptr) *length = count;
    if (count > 0) return ReadResult::kLine;
    return std::ferror(file) ? ReadResult::kError : ReadResult::kEnd;
}

}  // namespace zentrip
