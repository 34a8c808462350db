// The command line of `zentrip`: an optional program file to start with, and --simulate,
// which runs the simulated controller and modem in the program for a dry run without
// hardware. Qt's own options are taken out before these are read.
#pragma once

#include <string>
#include <vector>

namespace zentrip {

struct AppOptions {
    bool simulate = false;
    bool help = false;
    std::string workingFile;  // empty: none
    std::string error;        // why the command line is wrong; empty when it is not
};

AppOptions ParseAppOptions(const std::vector<std::string>& args);  // without the program name

extern const char kAppHelp[];

}  // namespace zentrip
