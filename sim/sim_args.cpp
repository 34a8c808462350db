#include "sim/sim_args.h"

#include <charconv>

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
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            parsed->help = true;
            continue;
        }
        if (arg == "--no-lf") {
            parsed->options.controller.echoWithoutLf = true;
            continue;
        }
        const bool takesValue = arg == "--link" || arg == "--mode" || arg == "--complain-on" ||
                                arg == "--complaint" || arg == "--silent-on" || arg == "--delay" ||
                                arg == "--transcript";
        if (!takesValue) {
            *error = "unknown option '" + arg + "'";
            return false;
        }
        if (i + 1 == args.size()) {
            *error = arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (arg == "--link") {
            parsed->linkPath = value;
        } else if (arg == "--transcript") {
            parsed->transcriptPath = value;
        } else if (arg == "--complain-on") {
            parsed->options.controller.complainPattern = value;
        } else if (arg == "--complaint") {
            parsed->options.controller.complaint = value;
        } else if (arg == "--silent-on") {
            parsed->options.controller.silentPattern = value;
        } else if (arg == "--mode") {
            if (!ParseSimMode(value, &parsed->options.mode)) {
                *error = "--mode must be auto, controller or modem, not '" + value + "'";
                return false;
            }
        } else {
            std::uint32_t ms = 0;
            const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), ms);
            if (ec != std::errc() || ptr != value.data() + value.size() || ms > 600000) {
                *error =
                    "--delay must be a number of milliseconds up to 600000, not '" + value + "'";
                return false;
            }
            parsed->options.controller.replyDelayMs = ms;
        }
    }
    return true;
}

}  // namespace zentrip::sim
