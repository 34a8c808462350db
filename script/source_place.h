// Where a line that a run receives was read: the file's path as the run or the include line
// gave it, and the line's number in that file, from 1. A piece of a line longer than the run
// reads keeps that line's number; `column` is where the piece begins in the line.
#pragma once

#include <string>

namespace zentrip {

struct SourcePlace {
    std::string path;
    int line = 0;
    int column = 0;
};

}  // namespace zentrip
