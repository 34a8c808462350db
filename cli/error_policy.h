// The answer to "continue programming?" without a window: ask the user on the terminal,
// always go on, or stop at the first question. The default asks only when stdin is a terminal,
// so a run in a pipe or a script never hangs on a question nobody sees.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

namespace zentrip::cli {

enum class ErrorPolicy { kAsk, kContinue, kStop };

// "ask", "continue" or "stop"; empty for anything else.
std::optional<ErrorPolicy> ParseErrorPolicy(std::string_view text);
ErrorPolicy DefaultErrorPolicy(bool stdinIsTerminal);

// Reads one answer line from fd, byte by byte so nothing beyond the line is taken: true for
// "y" or "yes" in any letter case (blanks around it allowed); false for anything else, at
// the end of the input, and as soon as interrupted() holds (checked while waiting).
bool ReadYes(int fd, const std::function<bool()>& interrupted);

}  // namespace zentrip::cli
