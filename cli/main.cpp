// zentrip-cli: Zentrip without a window.
#include <cstdio>
#include <cstring>

#include "cli/command.h"

namespace zentrip::cli {

namespace {
std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}
}  // namespace

CommandRegistrar::CommandRegistrar(const Command& command) { Registry().push_back(command); }

const std::vector<Command>& Commands() { return Registry(); }

}  // namespace zentrip::cli

namespace {

void PrintUsage(std::FILE* to) {
    std::fprintf(to,
                 "usage: zentrip-cli COMMAND [OPTIONS]\n\n"
                 "Programs Orvane 7K and 7330 controllers without a window.\n\ncommands:\n");
    for (const auto& command : zentrip::cli::Commands()) {
        std::fprintf(to, "  %-12s %s\n", command.name, command.summary);
    }
    std::fprintf(to,
                 "\n'zentrip-cli COMMAND --help' explains a command. Every command exits with\n"
                 "status %d when its command line cannot be understood.\n",
                 zentrip::cli::kUsageError);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        PrintUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? zentrip::cli::kUsageError : 0;
    }
    for (const auto& command : zentrip::cli::Commands()) {
        if (std::strcmp(command.name, argv[1]) == 0) return command.run(argc - 1, argv + 1);
    }
    std::fprintf(stderr, "zentrip-cli: unknown command '%s'\n\n", argv[1]);
    PrintUsage(stderr);
    return zentrip::cli::kUsageError;
}
