// The subcommands of zentrip-cli. Each lives in its own file and registers itself with a
// static CommandRegistrar, so main.cpp only dispatches.
#pragma once

#include <vector>

namespace zentrip::cli {

struct Command {
    const char* name;
    const char* summary;                // one line for `zentrip-cli --help`
    int (*run)(int argc, char** argv);  // argv[0] is the command's name
};

class CommandRegistrar {
public:
    explicit CommandRegistrar(const Command& command);
};

const std::vector<Command>& Commands();

// Exit status of a command line that cannot be understood, the same in every command.
inline constexpr int kUsageError = 64;

}  // namespace zentrip::cli
