#include "script/line_reader.h"

namespace zentrip {

ReadResult ReadTextLine(std::FILE* file, char* buf, int n) {
    int count = 0;
    while (count < n - 1) {
        int ch = std::getc(file);
        if (ch == EOF) break;
        if (ch == '\r') {
            const int next = std::getc(file);
            if (next == '\n') {
                ch = '\n';
            } else if (next != EOF) {
                std::ungetc(next, file);
            }
        }
        buf[count++] = static_cast<char>(ch);
        if (ch == '\n') break;
    }
    buf[count] = '\0';
    if (count > 0) return ReadResult::kLine;
    return std::ferror(file) ? ReadResult::kError : ReadResult::kEnd;
}

}  // namespace zentrip
