// zentrip-cli: Zentrip without a window.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "cli/command.h"

namespace zentrip::cli {

namespace {

// In the order `zentrip-cli --help` lists them.
constexpr Command kCommands[] = {
    {"expand", "print a program file as a run receives it", &RunExpand},
    {"ports", "list the serial devices present", &RunPorts},
    {"program", "program a controller from a program file", &RunProgram},
    {"receive", "receive a file with XMODEM", &RunReceive},
    {"runs", "list the records of past programming runs", &RunRuns},
    {"send", "send a file with XMODEM", &RunSend},
    {"send-text", "send a text file line by line", &RunSendText},
    {"settings", "show or change the stored serial settings", &RunSettings},
    {"terminal", "a serial terminal on this console", &RunTerminal},
};

void PrintUsage(std::FILE* to) {
    std::fprintf(to,
                 "usage: zentrip-cli COMMAND [OPTIONS]\n\n"
                 "Programs Orvane 7K and 7330 controllers without a window.\n\ncommands:\n");
    for (const Command& command : kCommands) {
        std::fprintf(to, "  %-12s %s\n", command.name, command.summary);
    }
    std::fprintf(to,
                 "\n'zentrip-cli COMMAND --help' explains a command. Every command exits with\n"
                 "status %d when its command line cannot be understood.\n",
                 kUsageStatus);
}

}  // namespace

int ReadCommandArgs(int argc, char** argv, const std::vector<CommandOption>& options,
                    std::string_view help, std::vector<std::string>* operands) {
    const CommandLine line =
        ReadCommandLine(std::vector<std::string>(argv + 1, argv + argc), options);
    switch (line.outcome) {
        case CommandLine::Outcome::kHelp:
            std::fwrite(help.data(), 1, help.size(), stdout);
            return 0;
        case CommandLine::Outcome::kUsageError:
            return PrintUsageError(argv[0], line.error);
        case CommandLine::Outcome::kRun:
            break;
    }
    *operands = line.operands;
    return -1;
}

bool ParseWholeNumber(const std::string& text, long* number) {
    if (text.empty()) return false;
    char* end = nullptr;
    *number = std::strtol(text.c_str(), &end, 10);
    return *end == '\0';
}

int PrintUsageError(const char* command, std::string_view message) {
    std::fputs(UsageErrorText(std::string("zentrip-cli ") + command, message).c_str(), stderr);
    return kUsageStatus;
}

}  // namespace zentrip::cli

int main(int argc, char** argv) {
    using namespace zentrip::cli;
    if (argc < 2) {
        PrintUsage(stderr);
        return zentrip::kUsageStatus;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    for (const Command& command : kCommands) {
        if (std::strcmp(command.name, argv[1]) == 0) return command.run(argc - 1, argv + 1);
    }
    std::fputs(
        zentrip::UsageErrorText("zentrip-cli", "unknown command '" + std::string(argv[1]) + "'")
            .c_str(),
        stderr);
    return zentrip::kUsageStatus;
}
