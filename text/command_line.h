// The one way Zentrip's programs read their command lines: each program hands over a table of
// the options it takes. "--name VALUE" and "--name=VALUE" are the same; --help and -h ask for
// the help and end the reading; any other argument that starts with '-' (but "-" alone) and is
// not in the table is a mistake; the rest are operands, in their order. Options are taken in
// the order given, so the first mistake is the one reported.
//
// Our own table rather than getopt_long: no global state, and no abbreviated option names,
// which would let a later option change what an old command line means.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zentrip {

// The exit status of a command line that cannot be understood, in every program.
inline constexpr int kUsageStatus = 64;

struct CommandOption {
    std::string_view name;  // "--port"
    // For an option with a value: what the value is, as the message for a missing one says
    // ("--port needs " + needs); empty for an option without a value.
    std::string_view needs;
    // Takes the option, with its value ("" for an option without one); false, with the
    // message for the user in *error, when the value is refused.
    std::function<bool(const std::string& value, std::string* error)> take;
};

// An option without a value that sets *on.
CommandOption Flag(std::string_view name, bool* on);
// An option whose value is stored in *to as it is.
CommandOption TextOption(std::string_view name, std::string* to,
                         std::string_view needs = "a value");

struct CommandLine {
    enum class Outcome { kRun, kHelp, kUsageError };
    Outcome outcome = Outcome::kRun;
    std::vector<std::string> operands;
    std::string error;  // with kUsageError: what is wrong, for UsageErrorText
};

// args without the program's (or command's) name.
CommandLine ReadCommandLine(const std::vector<std::string>& args,
                            const std::vector<CommandOption>& options);

// The one form of a usage error: "PROGRAM: MESSAGE (see PROGRAM --help)" and a newline.
// PROGRAM names the command too ("zentrip-cli send").
std::string UsageErrorText(std::string_view program, std::string_view message);

}  // namespace zentrip
