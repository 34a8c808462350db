// A direct-mode run in real time over a pseudo-terminal against the simulated controller's
// thread, stopped from another thread as the window's Stop button stops a worker's run.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "session/run_fixture.h"
#include "sim/pty_simulator.h"

namespace zentrip::testing {
namespace {

TEST(DirectPty, StopFromAnotherThreadEndsTheRunBetweenLines) {
    std::string error;
    const std::unique_ptr<sim::PtySimulator> pty = sim::PtySimulator::Start({}, &error);
    ASSERT_TRUE(pty) << error;
    const auto controllerLines = [&] {
        std::vector<std::string> lines;
        pty->WithSimulator([&](const sim::Simulator& s) { lines = s.Controller().Lines(); });
        return lines.size();
    };
    TempDir folder;
    SystemClock clock;
    MemoryRunHost host{&clock};
    host.SetDirectModeChecked(true);
    CProgrammer programmer{host, clock};
    programmer.SetPort(1);
    programmer.SetRate(19200);
    programmer.Settings().devicePaths[0] = pty->DevicePath();
    std::string program;
    for (int i = 1; i <= 200; ++i) program += "L" + std::to_string(i) + "\n";
    programmer.SetWorkingFile(folder.Write("program.orv", program));

    std::atomic<bool> done{false};
    std::thread window([&] {
        while (!done && controllerLines() < 3)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        programmer.StopProgramming();
    });
    programmer.ProgramFromFile();
    done = true;
    window.join();
    const std::size_t sent = controllerLines();
    EXPECT_GE(sent, 3u);
    EXPECT_LT(sent, 200u);
    const std::string results = host.Results();
    const std::string last = "[" + std::string(5 - std::to_string(sent).size(), ' ') +
                             std::to_string(sent) + "] L" + std::to_string(sent) +
                             "\r\n\r\n\r\n** Programming halted by user. **\r\n";
    EXPECT_EQ(results.substr(results.size() - last.size()), last);
    EXPECT_EQ(programmer.LastOutcome(), CProgrammer::RunOutcome::HaltedByUser);
}

}  // namespace
}  // namespace zentrip::testing
