// The editor's view of a program text, found by running the preprocessor over it: for every
// line the spans to colour, and what a run would refuse before sending anything. The text is
// read as a run reads its file (include files opened from the working directory, symbols
// defined along the way) but nothing is sent and no wait is waited. Qt-free and owning no
// shared state, so a window can run it on a worker thread and use the result afterwards.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "script/line_spans.h"
#include "script/source_place.h"

namespace zentrip {

struct Problem {
    int line = 0;  // of the text, from 1
    int start = 0;
    int length = 0;
    std::string message;  // the preprocessor's error text
    SourcePlace place;    // the failing line: in an include file for a problem found there
};

struct ProgramAnalysis {
    // The spans of `line` (from 1); none for a line the text does not have.
    std::span<const Span> SpansOfLine(int line) const;
    int LineCount() const { return static_cast<int>(lineStarts.size()); }

    std::vector<Span> spans;              // of all lines, line after line
    std::vector<std::size_t> lineStarts;  // index in spans of each line's first span
    std::vector<Problem> problems;        // in the order a run would meet them
};

// `path` is the name the run opens the text by: it takes part in the recursion test and names
// the text in the places.
ProgramAnalysis AnalyseProgram(std::string_view text, const std::string& path);

}  // namespace zentrip
