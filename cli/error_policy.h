// The answer to "continue programming?" without a window: ask the user on the terminal,
// always go on, or stop at the first question. The default asks only when stdin is a terminal,
// so a run in a pipe or a script never hangs on a question nobody sees.
#pragma once

#include <cstdio>
#include <optional>
#include <string_view>

namespace zentrip::cli {

enum class ErrorPolicy { kAsk, kContinue, kStop };

// "ask", "continue" or "stop"; empty for anything else.
std::optional<ErrorPolicy> ParseErrorPolicy(std::string_view text);
ErrorPolicy DefaultErrorPolicy(bool stdinIsTerminal);

// Reads one answer line from in: true for "y" or "yes" in any letter case (blanks around it
// allowed); false for anything else and at the end of the input.
bool ReadYes(std::FILE* in);

}  // namespace zentrip::cli
