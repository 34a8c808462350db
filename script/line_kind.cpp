#include "script/line_kind.h"

#include "script/text_compare.h"

namespace zentrip {

LineKind ClassifyLine(const CTokenizer& tokenizer, const char* line) {
    char token[CTokenizer::kTokenSize];
    const bool hasToken = tokenizer.GetToken(line, token, 0) >= 0;
    if (hasToken && EqualNoCase(token, "#include")) return LineKind::kInclude;
    if (hasToken && token[0] == ';') return LineKind::kComment;
    if (hasToken && EqualNoCase(token, "#define")) return LineKind::kDefine;
    return line[0] == '#' ? LineKind::kCommand : LineKind::kOther;
}

ToolCommand FindToolCommand(std::string_view word) {
    static constexpr struct {
        std::string_view word;
        ToolCommand command;
    } kCommands[] = {{"define", ToolCommand::kDefine},
                     {"wait", ToolCommand::kWait},
                     {"hide", ToolCommand::kHide},
                     {"SHOW", ToolCommand::kShow},
                     {"timeset7330", ToolCommand::kTimeSet7330},
                     {"timeset", ToolCommand::kTimeSet}};
    for (const auto& entry : kCommands) {
        if (EqualNoCase(word, entry.word)) return entry.command;
    }
    return ToolCommand::kNone;
}

bool IsSessionLine(std::string_view line) { return StartsWithNoCase(line, "#session"); }

}  // namespace zentrip
