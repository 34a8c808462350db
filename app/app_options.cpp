#include "app/app_options.h"

namespace zentrip {

const char kAppHelp[] =
    "usage: zentrip [--simulate] [FILE]\n"
    "\n"
    "Zentrip programs Orvane controllers from a program file, over an RS232 cable or\n"
    "through a modem. FILE, when given, becomes the working file.\n"
    "\n"
    "options:\n"
    "  --simulate  run a simulated controller and modem inside Zentrip, on a pseudo-terminal\n"
    "              that the configured COM port uses while Zentrip runs (the stored settings\n"
    "              keep the real device); the RS232 check box starts checked, as the\n"
    "              simulated controller hangs on a simulated cable\n"
    "  --help      this text\n"
    "\n"
    "zentrip-cli does the same work without a window.\n";

AppOptions ParseAppOptions(const std::vector<std::string>& args) {
    AppOptions options;
    for (const std::string& arg : args) {
        if (arg == "--simulate") {
            options.simulate = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            options.error = "unknown option '" + arg + "'";
        } else if (!options.workingFile.empty()) {
            options.error = "one program file only";
        } else {
            options.workingFile = arg;
        }
        if (!options.error.empty()) break;
    }
    return options;
}

}  // namespace zentrip
