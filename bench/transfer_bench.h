// What the transfer benches share: a scratch folder that is a fresh user's, the file to send,
// and the programs run the way a user starts them, with their output kept out of the bench's
// own (appended to dir/run.log).
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace zentrip::bench {

// Makes dir the settings folder of the programs run from here on and writes dir/in.bin of
// `size` random bytes, the same for the same `pattern`; its bytes.
inline std::string FreshUserInput(const std::string& dir, std::size_t size, unsigned pattern) {
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    std::string data(size, '\0');
    std::mt19937 random(pattern);
    for (char& c : data) c = static_cast<char>(random());
    std::ofstream(dir + "/in.bin", std::ios::binary) << data;
    return data;
}

// Runs argv in dir to its end, killed after timeoutS; its exit code, -1 when it did not exit
// normally or in time.
inline int RunLogged(const std::vector<std::string>& argv, const std::string& dir, int timeoutS) {
    const std::string logPath = dir + "/run.log";
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (log < 0) return -1;
    testing::ChildSetup setup;
    setup.cwd = dir;
    setup.out = setup.err = log;
    const int code = testing::RunChildWithin(argv, setup, timeoutS * 1000);
    close(log);
    return code;
}

}  // namespace zentrip::bench
