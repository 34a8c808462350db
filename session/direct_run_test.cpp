// Direct-mode runs in virtual time against the simulated controller: what goes on the line,
// what the results pane shows, which errors ask the continue question, and every way out.
#include <gtest/gtest.h>

#include <memory>

#include "session/run_fixture.h"
#include "sim/fake_line_simulator.h"
#include "sim/simulator.h"

namespace zentrip::testing {
namespace {

class DirectRun : public VirtualRun {
protected:
    void Attach(sim::ControllerOptions controller = {}) {
        sim::SimOptions options;
        options.controller = std::move(controller);
        std::string error;
        std::shared_ptr<sim::Simulator> simulator = sim::Simulator::Create(options, &error);
        ASSERT_TRUE(simulator) << error;
        sim::AttachSimulator(line, simulator);
    }
    std::string Header() const { return "Preparing controller for direct session." + Banner(); }
};

TEST_F(DirectRun, CountsErrorsAndAsksAtTheFirstComplaintAndEverySilence) {
    sim::ControllerOptions controller;
    controller.complainPattern = "^BAD";
    controller.silentPattern = "^MUTE";
    Attach(controller);
    host.SetDirectModeChecked(true);
    for (int i = 0; i < 3; ++i) host.QueueAnswer(MessageBoxAnswer::Yes);

    Run("; comment line\n#define XX 7\nGOOD 1\nbad 1\nBAD 2\nMUTE 1\n#hide\nBAD 3\n#SHOW\nMUTE 2\n"
        "XX 9 ; trailing comment\n");

    EXPECT_EQ(line.Written(), "\r\rGOOD1\rBAD1\rBAD2\rMUTE1\rBAD3\rMUTE2\r79\rAT\rATH0\r");
    EXPECT_EQ(
        host.Results(),
        Header() +
            "[    1] ; comment line\r\n[    2] #define XX 7\r\n[    3] GOOD 1\r\n[    4] bad 1\r\n"
            "Error in Line 4 (Controller Reported ERROR 12) \r\n"
            "[    5] BAD 2\r\nError in Line 5 (Controller Reported ERROR 12) \r\n"
            "[    6] MUTE 1\r\nError in Line 6 (Error: Controller failed to respond.) \r\n"
            "[    8] BAD 3\r\nError in Line 8 (Controller Reported ERROR 12) \r\n"
            "[    9] #SHOW\r\n"
            "[   10] MUTE 2\r\nError in Line 10 (Error: Controller failed to respond.) \r\n"
            "[   11] 7 9 ; trailing comment\r\n"
            "\r\n\r\nProgramming complete with 00005 total errors");
    ASSERT_EQ(host.MessageBoxTexts().size(), 3u);
    EXPECT_EQ(
        host.MessageBoxTexts()[0],
        "==== Error reported by controller during upload. ====\r\n\r\nLINE FROM FILE:\r\n\r\n"
        "bad 1\r\r\n\r\nController Reported ERROR 12\r\n\r\nDo you want to continue programming?");
    EXPECT_NE(
        host.MessageBoxTexts()[1].find("MUTE 1\r\r\n\r\nError: Controller failed to respond."),
        std::string::npos);
    EXPECT_NE(host.MessageBoxTexts()[2].find("MUTE 2"), std::string::npos);
    EXPECT_NE(std::find(host.Events().begin(), host.Events().end(),
                        "box yesno stop -> yes: " + host.MessageBoxTexts()[0]),
              host.Events().end());
    EXPECT_EQ(host.TotalErrors(), "00005");
    EXPECT_EQ(host.LineNumber(), "00012");
    EXPECT_EQ(programmer.ErrorCount(), 5);
    EXPECT_EQ(programmer.LastOutcome(), CProgrammer::RunOutcome::Complete);
}

TEST_F(DirectRun, NoToTheQuestionHaltsTheRun) {
    sim::ControllerOptions controller;
    controller.silentPattern = "^MUTE";
    Attach(controller);
    Run("#direct\nGOOD\nMUTE\nNEVER\n");
    EXPECT_EQ(line.Written(), "\r\rGOOD\rMUTE\rAT\rATH0\r");
    EXPECT_EQ(host.Results(), Header() +
                                  "[    1] #direct\r\n[    2] GOOD\r\n[    3] MUTE\r\n"
                                  "Error in Line 3 (Error: Controller failed to respond.) \r\n"
                                  "\r\n** Programming halted by error condition. **");
    EXPECT_EQ(programmer.LastOutcome(), CProgrammer::RunOutcome::HaltedByError);
    EXPECT_EQ(host.StopCaption(), "Hide Status Display");
}

TEST_F(DirectRun, ALateReplyIsEatenByTheNextLinesEchoWait) {
    sim::ControllerOptions controller;
    controller.replyDelayMs = 100;
    Attach(controller);
    host.QueueAnswer(MessageBoxAnswer::Yes);
    host.OnMessageBox([&](std::string_view) { clock.AdvanceMs(500); });  // the user reads
    Run("#direct\nONE\nTWO\n");
    EXPECT_NE(host.Results().find(
                  "[    2] ONE\r\nError in Line 2 (Error: Controller failed to respond.) \r\n"
                  "[    3] TWO\r\nError in Line 3 (Controller Reported TWO) \r\n"),
              std::string::npos);
    EXPECT_EQ(host.MessageBoxTexts().size(), 1u);
}

TEST_F(DirectRun, AnEchoLongerThan254CharactersIsPartlyTakenAsTheReply) {
    Attach();
    host.QueueAnswer(MessageBoxAnswer::Yes);
    Run("#direct\n" + std::string(300, 'A') + "\n");
    // 255 polls take 255 echo bytes; the 45 left before the CR become the reply.
    EXPECT_NE(host.Results().find("(Controller Reported " + std::string(45, 'A') + ") \r\n"),
              std::string::npos);
}

TEST_F(DirectRun, SilenceCostsTheFullEchoWait) {
    sim::ControllerOptions controller;
    controller.silentPattern = ".";
    Attach(controller);
    host.SetDirectModeChecked(true);
    host.QueueAnswer(MessageBoxAnswer::Yes);
    Run("X\n");
    // 300 ms preparation, 20 ms, 255 polls of 5 ms, then close with 1000 ms and hang-up.
    const Writes writes = Recorded();
    ASSERT_EQ(writes.size(), 6u);
    EXPECT_EQ(writes[2], (std::pair<std::uint64_t, std::string>{300, "X"}));
    EXPECT_EQ(writes[4],
              (std::pair<std::uint64_t, std::string>{300 + 20 + 255 * 5 + 1000, "AT\r"}));
}

TEST_F(DirectRun, StopBetweenLinesEndsAfterTheCurrentLine) {
    Attach();
    int linePumps = 0;
    host.OnPump([&] {
        if (host.LineNumber() == "00002" && ++linePumps == 2) programmer.StopProgramming();
    });
    Run("#direct\nONE\nTWO\n");
    EXPECT_EQ(line.Written(), "\r\rONE\rAT\rATH0\r");
    EXPECT_EQ(host.Results(), Header() +
                                  "[    1] #direct\r\n[    2] ONE\r\n"
                                  "\r\n\r\n** Programming halted by user. **\r\n");
    EXPECT_EQ(programmer.LastOutcome(), CProgrammer::RunOutcome::HaltedByUser);
}

TEST_F(DirectRun, StopDuringAWaitCommandTakesEffectAfterTheWaitAndItsLine) {
    Attach();
    StopOnPauseClock stopper(clock, 3000);
    CProgrammer run(host, stopper, opener);
    stopper.SetProgrammer(&run);
    run.SetWorkingFile(folder.Write("wait.orv", "#direct\nONE\n#wait 3\nTWO\n"));
    run.ProgramFromFile();
    EXPECT_EQ(line.Written(), "\r\rONE\rAT\rATH0\r");
    const std::string results = host.Results();
    EXPECT_NE(results.find("[    3] #wait 3\r\n\r\n\r\n** Programming halted by user. **\r\n"),
              std::string::npos);
    EXPECT_EQ(std::count(clock.Sleeps().begin(), clock.Sleeps().end(), 3000u), 1);
    EXPECT_EQ(run.LastOutcome(), CProgrammer::RunOutcome::HaltedByUser);
}

// A window manager that caps the window's height must not hold the run at the unfold.
class CappedHost : public MemoryRunHost {
public:
    using MemoryRunHost::MemoryRunHost;
    int WindowHeight() override { return kCollapsedHeight; }
};

TEST_F(DirectRun, AWindowThatNeverUnfoldsHoldsTheRunOnlyForABoundedNumberOfPumps) {
    Attach();
    CappedHost capped(&clock);
    capped.SetDirectModeChecked(true);
    CProgrammer run(capped, clock, opener);
    run.SetWorkingFile(folder.Write("one.orv", "ONE\n"));
    std::size_t pumpsBeforeTraffic = 0;
    capped.OnPump([&] {
        if (line.Written().find("ONE") == std::string::npos) ++pumpsBeforeTraffic;
    });
    run.ProgramFromFile();
    EXPECT_EQ(run.LastOutcome(), CProgrammer::RunOutcome::Complete);
    EXPECT_EQ(line.Written(), "\r\rONE\rAT\rATH0\r");
    // The unfold wait's pumps, then the one before the first line and the one in it.
    EXPECT_EQ(pumpsBeforeTraffic, 100u + 2u);
}

TEST_F(DirectRun, AFatalPreprocessorErrorIsCountedAndHaltsTheRun) {
    Attach();
    Run("#direct\nONE\n#wait\nTWO\n");
    EXPECT_EQ(line.Written(), "\r\rONE\rAT\rATH0\r");
    const std::string results = host.Results();
    EXPECT_NE(results.find("[    2] ONE\r\n[    3] "), std::string::npos);
    EXPECT_NE(results.find("\r\nFatal Error in Line 3 (Missing time parameter on WAIT command);\r\n"
                           "Programming halted."),
              std::string::npos);
    EXPECT_EQ(results.find("complete"), std::string::npos);
    EXPECT_EQ(host.TotalErrors(), "00001");
    EXPECT_EQ(programmer.LastOutcome(), CProgrammer::RunOutcome::HaltedFatal);
}

TEST_F(DirectRun, AnEmptyFileCountsOneLineAndReportsNoErrors) {
    Attach();
    host.SetDirectModeChecked(true);
    Run("");
    EXPECT_EQ(host.Results(), Header() + "\r\n\r\nProgramming complete with 00000 total errors");
    EXPECT_EQ(host.LineNumber(), "00001");

    host.SetDirectModeChecked(false);
    Run("");
    EXPECT_EQ(host.Results(), Banner() + "\r\n ** Programming Complete ** \r\n");
}

TEST_F(DirectRun, SessionAndDirectTogetherRunDirectAndSendNothingForTheSessionLine) {
    Attach();
    Run("#session 4711 555\n#direct\nONE\n");
    EXPECT_EQ(line.Written(), "\r\rONE\rAT\rATH0\r");
    EXPECT_EQ(host.Editor().find("Dialing"), std::string::npos);
    EXPECT_EQ(host.Results().find("Closing session"), std::string::npos);
}

TEST_F(DirectRun, AVanishedDeviceEndsTheRunWithoutAskingAndNamesTheDevice) {
    auto pending = std::make_shared<std::string>();
    line.SetResponder([pending](std::string_view written, FakeSerialLine& fake) {
        for (char ch : written) {
            if (ch != '\r') {
                *pending += ch;
                continue;
            }
            if (*pending == "LOST")
                fake.Pull("Input/output error");
            else if (!pending->empty())
                fake.Feed(*pending + "\r\nOK\r\n");
            pending->clear();
        }
    });
    Run("#direct\nONE\nLOST\nTHREE\nFOUR\n");
    const std::uint64_t lostAt = line.Writes().back().tickMs;
    EXPECT_EQ(line.Written(), "\r\rONE\rLOST\r");
    EXPECT_EQ(host.Results(), Header() +
                                  "[    1] #direct\r\n[    2] ONE\r\n[    3] LOST\r\n"
                                  "\r\n** Programming halted: serial device /dev/ttyS1 lost "
                                  "(Input/output error). **\r\n");
    EXPECT_TRUE(host.MessageBoxTexts().empty());
    EXPECT_EQ(host.TotalErrors(), "00000");
    EXPECT_EQ(programmer.LastOutcome(), CProgrammer::RunOutcome::HaltedDeviceLost);
    EXPECT_FALSE(programmer.IsProgrammingActive());
    EXPECT_EQ(host.StopCaption(), "Hide Status Display");
    EXPECT_EQ(clock.TickMs() - lostAt, 20u);  // the echo's first wait: no close or hang-up pause
}

}  // namespace
}  // namespace zentrip::testing
