// What a program line is to the preprocessor and which tool command it names. One place for
// the rules, used by the preprocessor itself and by the analysis of an editor's text.
#pragma once

#include <string_view>

#include "script/tokenizer.h"

namespace zentrip {

enum class LineKind {
    kInclude,  // first token "#include": the named file is read next
    kComment,  // first token begins with ';': neither substituted nor executed
    kDefine,   // first token "#define": not substituted; executed when the line begins with '#'
    kCommand,  // begins with '#': substituted, then executed as a tool command
    kOther     // substituted and passed on: controller lines, blank lines
};

// The kinds in the order the preprocessor tests them.
LineKind ClassifyLine(const CTokenizer& tokenizer, const char* line);

enum class ToolCommand { kNone, kDefine, kWait, kHide, kShow, kTimeSet7330, kTimeSet };

// The tool command that `word` names, ignoring letter case, as a whole word.
ToolCommand FindToolCommand(std::string_view word);

// A "#session" line: the run opens the telephone session there. Tested on the line's start,
// ignoring letter case, as the run does.
bool IsSessionLine(std::string_view line);

}  // namespace zentrip
