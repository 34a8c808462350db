// The subcommands of zentrip-cli, each in its own file; main.cpp lists them in one table.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/command_line.h"

namespace zentrip::cli {

struct Command {
    const char* name;
    const char* summary;                // one line for `zentrip-cli --help`
    int (*run)(int argc, char** argv);  // argv[0] is the command's name
};

int RunExpand(int argc, char** argv);
int RunPorts(int argc, char** argv);
int RunProgram(int argc, char** argv);
int RunReceive(int argc, char** argv);
int RunRuns(int argc, char** argv);
int RunSend(int argc, char** argv);
int RunSendText(int argc, char** argv);
int RunSettings(int argc, char** argv);
int RunTerminal(int argc, char** argv);

// Reads a command's arguments after its name by the table. Prints `help` on stdout when it is
// asked for, and the usage error on stderr. -1 when the command should run, with its operands
// in *operands; else the status to exit with.
int ReadCommandArgs(int argc, char** argv, const std::vector<CommandOption>& options,
                    std::string_view help, std::vector<std::string>* operands);

// A whole number as strtol reads it, with nothing after it; false for an empty text.
bool ParseWholeNumber(const std::string& text, long* number);

// "zentrip-cli COMMAND: MESSAGE (see zentrip-cli COMMAND --help)" on stderr; kUsageStatus.
int PrintUsageError(const char* command, std::string_view message);

}  // namespace zentrip::cli
