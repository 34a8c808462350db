#include "app/program/app_options.h"

#include "text/command_line.h"

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
    const CommandLine line = ReadCommandLine(args, {Flag("--simulate", &options.simulate)});
    options.help = line.outcome == CommandLine::Outcome::kHelp;
    options.error = line.error;
    if (line.operands.size() > 1) {
        options.error = "one program file only";
    } else if (!line.operands.empty()) {
        options.workingFile = line.operands[0];
    }
    return options;
}

}  // namespace zentrip
