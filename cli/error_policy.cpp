#include "cli/error_policy.h"

#include <poll.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
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

bool ReadYes(int fd, const std::function<bool()>& interrupted) {
    std::string answer;
    for (;;) {
        pollfd ready{fd, POLLIN, 0};
        if (interrupted()) return false;
        if (poll(&ready, 1, 200) <= 0) continue;
        char ch = 0;
        const ssize_t n = read(fd, &ch, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || ch == '\n') break;
        answer += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    const auto first = answer.find_first_not_of(" \t\r");
    const auto last = answer.find_last_not_of(" \t\r");
    if (first == std::string::npos) return false;
    answer = answer.substr(first, last - first + 1);
    return answer == "y" || answer == "yes";
}

}  // namespace zentrip::cli
