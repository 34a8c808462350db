// Reads a program file the way the run sees it: text mode, where a CR directly before an LF
// is dropped, one line or piece of a line per call. A piece holds at most n - 1 characters
// (counted after the CR is dropped) and ends after its LF when the line is short enough.
#pragma once

#include <cstdio>

namespace zentrip {

enum class ReadResult { kLine, kEnd, kError };

// Reads the next piece from `file` into `buf` (room for n characters, the terminator included;
// n >= 2) and zero-terminates it. kEnd when the file had nothing left, kError when reading
// failed before any character of the piece arrived. Bytes are copied as they are, NUL bytes
// included; callers that treat the piece as a string see it end at its first NUL.
ReadResult ReadTextLine(std::FILE* file, char* buf, int n);

}  // namespace zentrip
