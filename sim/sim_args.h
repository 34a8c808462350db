// The command line of zentrip-sim, parsed into the simulator's options.
#pragma once

#include <string>
#include <vector>

#include "sim/simulator.h"

namespace zentrip::sim {

struct SimArgs {
    SimOptions options;
    std::string linkPath;        // --link: a symlink to the pty's slave
    std::string transcriptPath;  // --transcript: one line per chunk received or sent
    bool help = false;
};

// False with a message for the user in *error.
bool ParseSimArgs(const std::vector<std::string>& args, SimArgs* parsed, std::string* error);
extern const char* const kSimUsage;

}  // namespace zentrip::sim
