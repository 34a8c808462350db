#include "sim/sim_args.h"

#include <charconv>

#include "text/command_line.h"

namespace zentrip::sim {

const char* const kSimUsage =
    "usage: zentrip-sim [--link PATH] [options]\n"
    "\n"
    "A simulated Orvane controller and Hayes modem on a pseudo-terminal. Prints the device\n"
    "path on its first line and serves it until SIGINT, SIGTERM or SIGHUP.\n"
    "\n"
    "  --link PATH          make PATH a symlink to the device (removed on exit)\n"
    "  --mode MODE          auto (default): lines starting with AT go to the modem, others\n"
    "                       to the controller; controller or modem: all lines to one device\n"
    "  --complain-on REGEX  the controller answers lines matching REGEX with the complaint\n"
    "  --complaint TEXT     the complaint (default \"ERROR 12\")\n"
    "  --silent-on REGEX    the controller neither echoes nor answers lines matching REGEX\n"
    "  --delay MS           the controller answers MS milliseconds after its echo\n"
    "  --no-lf              the controller's echo ends with CR only\n"
    "  --transcript FILE    write every chunk received and sent as \"<ms> <rx|tx> <bytes>\"\n"
    "  --help               show this text\n";

bool ParseSimArgs(const std::vector<std::string>& args, SimArgs* parsed, std::string* error) {
    ControllerOptions& controller = parsed->options.controller;
    const std::vector<CommandOption> options = {
        TextOption("--link", &parsed->linkPath),
        TextOption("--transcript", &parsed->transcriptPath),
        TextOption("--complain-on", &controller.complainPattern),
        TextOption("--complaint", &controller.complaint),
        TextOption("--silent-on", &controller.silentPattern),
        Flag("--no-lf", &controller.echoWithoutLf),
        {"--mode", "a value",
         [parsed](const std::string& value, std::string* why) {
             if (ParseSimMode(value, &parsed->options.mode)) return true;
             *why = "--mode must be auto, controller or modem, not '" + value + "'";
             return false;
         }},
        {"--delay", "a value",
         [&controller](const std::string& value, std::string* why) {
             std::uint32_t ms = 0;
             const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), ms);
             if (ec != std::errc() || ptr != value.data() + value.size() || ms > 600000) {
                 *why =
                     "--delay must be a number of milliseconds up to 600000, not '" + value + "'";
                 return false;
             }
             controller.replyDelayMs = ms;
             return true;
         }},
    };
    const CommandLine line = ReadCommandLine(args, options);
    parsed->help = line.outcome == CommandLine::Outcome::kHelp;
    if (line.outcome == CommandLine::Outcome::kRun && !line.operands.empty()) {
        *error = "unknown argument '" + line.operands[0] + "'";
        return false;
    }
    *error = line.error;
    return line.outcome != CommandLine::Outcome::kUsageError;
}

}  // namespace zentrip::sim
