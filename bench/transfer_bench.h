// What the transfer benches share: a scratch folder that is a fresh user's, the file to send,
// the reference sender, and the programs run the way a user starts them, with their output kept
// out of the bench's own (appended to dir/run.log).
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/lrzsz_peer.h"

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

// `sx in.bin` behind a fresh pty, dir/tty, given time to start: it discards what arrives while
// it does. Null when the pty did not appear.
inline std::unique_ptr<testing::LrzszPeer> StartSx(const std::string& dir) {
    std::remove((dir + "/tty").c_str());
    auto sender =
        std::make_unique<testing::LrzszPeer>(dir, std::vector<std::string>{"sx", "in.bin"});
    if (!sender->Ready(5000)) return nullptr;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return sender;
}

// Runs argv in dir to its end with stdin `in` (-1: /dev/null) and stdout `out` (-1: the log),
// killed after timeoutS; its exit code, -1 when it did not exit normally or in time.
inline int RunLogged(const std::vector<std::string>& argv, const std::string& dir, int timeoutS,
                     int in = -1, int out = -1) {
    const std::string logPath = dir + "/run.log";
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (log < 0) return -1;
    testing::ChildSetup setup;
    setup.cwd = dir;
    setup.in = in;
    setup.out = out < 0 ? log : out;
    setup.err = log;
    const int code = testing::RunChildWithin(argv, setup, timeoutS * 1000);
    close(log);
    return code;
}

// `rx -c out` in dir as a user runs it on a serial port: stdin and stdout on the terminal `tty`,
// whose modes rx sets itself. Its exit code, -1 when it did not exit normally or in time. rx
// flushes the terminal as it exits, which on a pty throws its last ACK away: the sender then
// never hears the end, so only the file tells whether the transfer worked.
inline int RunRx(const std::string& dir, const std::string& tty, const std::string& out,
                 int timeoutS) {
    const int line = open(tty.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (line < 0) return -1;
    const int code = RunLogged({testing::FindProgram("rx"), "-c", out}, dir, timeoutS, line, line);
    close(line);
    return code;
}

}  // namespace zentrip::bench
