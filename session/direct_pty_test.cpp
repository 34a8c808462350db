// Direct-mode runs in real time over a pseudo-terminal against the simulated controller:
// the real device layer, real pauses and a controller thread that answers on its own.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "session/run_fixture.h"
#include "sim/pty_simulator.h"

namespace zentrip::testing {
namespace {

using Clock_ = std::chrono::steady_clock;

class DirectPty : public ::testing::Test {
protected:
    void Start(sim::ControllerOptions controller = {}) {
        sim::SimOptions options;
        options.controller = std::move(controller);
        std::string error;
        pty = sim::PtySimulator::Start(options, &error);
        ASSERT_TRUE(pty) << error;
        programmer.SetPort(1);
        programmer.SetRate(19200);
        programmer.Settings().devicePaths[0] = pty->DevicePath();
        host.SetDirectModeChecked(true);
    }
    void Run(const std::string& program) {
        programmer.SetWorkingFile(folder.Write("program.orv", program));
        programmer.ProgramFromFile();
    }
    std::vector<std::string> ControllerLines() const {
        std::vector<std::string> lines;
        pty->WithSimulator([&](const sim::Simulator& s) { lines = s.Controller().Lines(); });
        return lines;
    }
    std::string Header() const {
        return "Preparing controller for direct session.\r\nBeginning programming from " +
               programmer.WorkingFile() + "\r\n\r\n";
    }

    TempDir folder;
    SystemClock clock;
    MemoryRunHost host{&clock};
    CProgrammer programmer{host, clock};
    std::unique_ptr<sim::PtySimulator> pty;
};

TEST_F(DirectPty, ComplaintsSilenceLongEchoesAndHiddenLinesUntilNo) {
    sim::ControllerOptions controller;
    controller.complainPattern = "^BAD";
    controller.silentPattern = "^MUTE";
    Start(controller);
    host.QueueAnswer(MessageBoxAnswer::Yes);  // first complaint
    host.QueueAnswer(MessageBoxAnswer::Yes);  // first silence
    host.QueueAnswer(MessageBoxAnswer::No);   // second silence
    const std::string longLine(300, 'A');

    Run("; comment\n#define SYM 5\nGOOD 1\nBAD 1\nBAD 2\nMUTE 1\n#hide\nBAD 3\n#SHOW\n" + longLine +
        "\nMUTE 2\nSYM 6\n");

    EXPECT_EQ(ControllerLines(), (std::vector<std::string>{"GOOD1", "BAD1", "BAD2", "MUTE1", "BAD3",
                                                           longLine, "MUTE2"}));
    EXPECT_EQ(host.Results(),
              Header() +
                  "[    1] ; comment\r\n[    2] #define SYM 5\r\n[    3] GOOD 1\r\n"
                  "[    4] BAD 1\r\nError in Line 4 (Controller Reported ERROR 12) \r\n"
                  "[    5] BAD 2\r\nError in Line 5 (Controller Reported ERROR 12) \r\n"
                  "[    6] MUTE 1\r\nError in Line 6 (Error: Controller failed to respond.) \r\n"
                  "[    8] BAD 3\r\nError in Line 8 (Controller Reported ERROR 12) \r\n"
                  "[    9] #SHOW\r\n"
                  "[   10] " +
                  longLine + "\r\nError in Line 10 (Controller Reported " + std::string(45, 'A') +
                  ") \r\n"
                  "[   11] MUTE 2\r\nError in Line 11 (Error: Controller failed to respond.) \r\n"
                  "\r\n** Programming halted by error condition. **");
    EXPECT_EQ(host.MessageBoxTexts().size(), 3u);
    EXPECT_EQ(host.TotalErrors(), "00006");
    EXPECT_EQ(programmer.LastOutcome(), CProgrammer::RunOutcome::HaltedByError);
    // The hang-up reaches the simulator's thread a moment after the port closed.
    std::vector<std::string> commands;
    for (int i = 0; i < 200 && commands.size() < 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        pty->WithSimulator([&](const sim::Simulator& s) { commands = s.Modem().Commands(); });
    }
    EXPECT_EQ(commands, (std::vector<std::string>{"AT", "ATH0"}));
}

TEST_F(DirectPty, ALateReplyIsEatenByTheNextLinesEchoWait) {
    sim::ControllerOptions controller;
    controller.replyDelayMs = 300;
    controller.complainPattern = "^ONE";
    controller.complaint = std::string(58, 'E');  // a long late reply keeps the next wait busy
    Start(controller);
    host.QueueAnswer(MessageBoxAnswer::Yes);
    host.OnMessageBox(
        [](std::string_view) { std::this_thread::sleep_for(std::chrono::milliseconds(600)); });
    Run("ONE\nTWO\n");
    EXPECT_EQ(host.Results(),
              Header() +
                  "[    1] ONE\r\nError in Line 1 (Error: Controller failed to respond.) \r\n"
                  "[    2] TWO\r\nError in Line 2 (Controller Reported TWO) \r\n"
                  "\r\n\r\nProgramming complete with 00002 total errors");
    EXPECT_EQ(host.MessageBoxTexts().size(), 1u);
    EXPECT_EQ(programmer.LastOutcome(), CProgrammer::RunOutcome::Complete);
}

TEST_F(DirectPty, StopDuringAWaitCommandEndsTheRunAfterTheWait) {
    Start();
    StopOnPauseClock stopper(clock, 1000);
    CProgrammer run(host, stopper);
    stopper.SetProgrammer(&run);
    run.SetPort(1);
    run.Settings().devicePaths[0] = pty->DevicePath();
    run.SetWorkingFile(folder.Write("wait.orv", "ONE\n#wait 1\nTWO\n"));
    const auto start = Clock_::now();
    run.ProgramFromFile();
    EXPECT_GE(Clock_::now() - start, std::chrono::milliseconds(1000 + 300 + 1000));
    EXPECT_EQ(ControllerLines(), std::vector<std::string>{"ONE"});
    EXPECT_NE(
        host.Results().find("[    2] #wait 1\r\n\r\n\r\n** Programming halted by user. **\r\n"),
        std::string::npos);
    EXPECT_EQ(run.LastOutcome(), CProgrammer::RunOutcome::HaltedByUser);
}

TEST_F(DirectPty, StopFromAnotherThreadEndsTheRunBetweenLines) {
    Start();
    std::string program;
    for (int i = 1; i <= 200; ++i) program += "L" + std::to_string(i) + "\n";
    std::atomic<bool> done{false};
    std::thread window([&] {
        while (!done && ControllerLines().size() < 3)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        programmer.StopProgramming();
    });
    Run(program);
    done = true;
    window.join();
    const std::size_t sent = ControllerLines().size();
    EXPECT_GE(sent, 3u);
    EXPECT_LT(sent, 200u);
    const std::string results = host.Results();
    const std::string last = "[" + std::string(5 - std::to_string(sent).size(), ' ') +
                             std::to_string(sent) + "] L" + std::to_string(sent) +
                             "\r\n\r\n\r\n** Programming halted by user. **\r\n";
    EXPECT_EQ(results.substr(results.size() - last.size()), last);
    EXPECT_EQ(programmer.LastOutcome(), CProgrammer::RunOutcome::HaltedByUser);
}

TEST_F(DirectPty, APulledDeviceEndsTheRunWithinTwoSecondsNamingIt) {
    Start();
    const std::string device = pty->DevicePath();
    Clock_::time_point pulled{};
    host.OnPump([&] {
        if (pty && host.LineNumber() == "00002") {
            pty.reset();  // the master side closes: the device is gone
            pulled = Clock_::now();
        }
    });
    Run("ONE\nTWO\nTHREE\nFOUR\n");
    const auto took = Clock_::now() - pulled;
    RecordProperty(
        "pulled_to_end_ms",
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
    EXPECT_FALSE(pty);
    EXPECT_LT(took, std::chrono::seconds(2));
    const std::string results = host.Results();
    const std::string expected = "\r\n** Programming halted: serial device " + device + " lost (";
    EXPECT_NE(results.find("[    2] TWO\r\n" + expected), std::string::npos) << results;
    EXPECT_EQ(results.find("THREE"), std::string::npos);
    EXPECT_EQ(results.substr(results.size() - 6), ". **\r\n");
    EXPECT_TRUE(host.MessageBoxTexts().empty());
    EXPECT_EQ(host.StopCaption(), "Hide Status Display");
    EXPECT_TRUE(host.ProgramButtonEnabled());
    EXPECT_EQ(programmer.LastOutcome(), CProgrammer::RunOutcome::HaltedDeviceLost);
    EXPECT_FALSE(programmer.IsProgrammingActive());
}

}  // namespace
}  // namespace zentrip::testing
