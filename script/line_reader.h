// Reads a program file the way the run sees it: text mode, where a CR directly before an LF
// is dropped, one line or piece of a line per call. A piece holds at most n - 1 characters
// (counted after the CR is dropped) and ends after its LF when the line is short enough.
#pragma once

#include <cstddef>
#include <cstdio>

namespace zentrip {

enum class ReadResult { kLine, kEnd, kError };

// Reads the next piece from `file` into `buf` (room for n characters, the terminator included;
// n >= 2) and zero-terminates it. kEnd when the file had nothing left, kError when reading
// failed before any character of the piece arrived. Bytes are copied as they are, NUL bytes
// included; callers that treat the piece as a string see it end at its first NUL. `length`, when
// given, receives the number of characters read.
ReadResult ReadTextLine(std::FILE* file, char* buf, int n, std::size_t* length = nullptr);

// The reading itself: hands each character of the next piece (at most max) to put, in text
// mode as above; the number handed over, 0 at the end or on a read error.
template <typename Put>
std::size_t ReadTextPiece(std::FILE* file, std::size_t max, Put put) {
    std::size_t count = 0;
    while (count < max) {
        int ch = getc_unlocked(file);  // one thread reads a stream at a time
        if (ch == EOF) break;
        if (ch == '\r') {
            const int next = getc_unlocked(file);
            if (next == '\n') {
                ch = '\n';
            } else if (next != EOF) {
                std::ungetc(next, file);
            }
        }
        put(static_cast<char>(ch));
        ++count;
        if (ch == '\n') break;
    }
    return count;
}

}  // namespace zentrip
