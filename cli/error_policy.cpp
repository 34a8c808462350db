#include "cli/error_policy.h"

#include <cctype>
#include <string>

namespace zentrip::cli {

std::optional<ErrorPolicy> ParseErrorPolicy(std::string_view text) {
    if (text == "ask") return ErrorPolicy::kAsk;
    if (text == "continue") return ErrorPolicy::kContinue;
    if (text == "stop") return ErrorPolicy::kStop;
    return std::nullopt;
}

ErrorPolicy DefaultErrorPolicy(bool stdinIsTerminal) {
    return stdinIsTerminal ? ErrorPolicy::kAsk : ErrorPolicy::kStop;
}

bool ReadYes(std::FILE* in) {
    std::string answer;
    int ch;
    while ((ch = std::fgetc(in)) != EOF && ch != '\n') {
        if (!std::isspace(ch)) answer += static_cast<char>(std::tolower(ch));
    }
    return answer == "y" || answer == "yes";
}

}  // namespace zentrip::cli
