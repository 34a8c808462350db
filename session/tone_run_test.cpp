// Runs in the tone modes (local tone and remote session) in virtual time: the exact bytes
// on the line and the virtual time of each write.
#include <gtest/gtest.h>

#include "session/run_fixture.h"

namespace zentrip::testing {
namespace {

using ToneRun = VirtualRun;

TEST_F(ToneRun, LocalToneRunTakesTheLineOffHookAndDialsEveryProgramLine) {
    Run("12 34\n;note\n\n5\n#wait 2\nAB-9\n");

    EXPECT_EQ(Recorded(), (Writes{{0, "ATH1\r"},
                                  {1000, "ATDT "},
                                  {1000, "12 34;\r"},  // 2 x 7 + 26 steps
                                  {5000, "ATDT "},
                                  {5000, "5;\r"},    // 2 x 3 + 26 steps
                                  {10200, "ATDT "},  // after the 2 s wait
                                  {10200, "AB;\r"},  // cut at the hyphen
                                  {14600, "AT\r"},   // close, 1000 ms, hang-up
                                  {15600, "ATH0\r"}}));
    EXPECT_EQ(line.OpenedRates(), (std::vector<std::uint32_t>{2400, 9600}));
    EXPECT_EQ(line.OpenedPaths(), (std::vector<std::string>{"/dev/ttyS1", "/dev/ttyS1"}));
    EXPECT_EQ(line.OpenDevices(), 0);
    EXPECT_EQ(host.Results(),
              Banner() +
                  "[    1] 12 34\r\n[    2] ;note\r\n[    3] \r\n[    4] 5\r\n"
                  "[    5] #wait 2\r\n[    6] AB-9\r\n\r\n ** Programming Complete ** \r\n");
    EXPECT_EQ(host.LineNumber(), "00007");
    EXPECT_EQ(host.TotalErrors(), "00000");
    EXPECT_EQ(programmer.LastOutcome(), CProgrammer::RunOutcome::Complete);
    EXPECT_FALSE(programmer.IsProgrammingActive());
    EXPECT_TRUE(programmer.Session().m_sessionInProgress);  // kept until the next run
    EXPECT_EQ(host.StopCaption(), "Hide Status Display");
    EXPECT_TRUE(host.ProgramButtonEnabled());
}

TEST_F(ToneRun, RemoteSessionDialsRequestsTimeRenewsItAndClosesTheSession) {
    std::string program = "; remote\n99\n#session 4711 5550199\n";
    for (int i = 0; i < 25; ++i) program += "1234567\n";
    Run(program);

    Writes expected{{0, "ATH1\r"},
                    {1000, "ATDT 5550199;\r"},
                    {16000, "ATDT "},
                    {16000, "471179030 *;\r"}};  // 2 x 13 + 26 steps: until 21.2 s
    std::uint64_t t = 21200;
    for (int i = 0; i < 25; ++i) {
        if (i == 23) {
            // The first pass that starts at or after 120 s: a 5 s pause, then the request.
            t += 5000;
            expected.push_back({t, "ATDT "});
            expected.push_back({t, "4711 79 030 *;\r"});
            t += (2 * 15 + 26) * 100;
        }
        expected.push_back({t, "ATDT "});
        expected.push_back({t, "1234567;\r"});
        t += (2 * 9 + 26) * 100;
    }
    expected.push_back({t, "ATDT "});
    expected.push_back({t, "4711 79 001 *;\r"});
    t += (2 * 15 + 26) * 100;
    expected.push_back({t + 1000, "AT\r"});
    expected.push_back({t + 2000, "ATH0\r"});
    EXPECT_EQ(Recorded(), expected);

    const std::string results = host.Results();
    EXPECT_NE(
        results.find(
            "[   26] 1234567\r\nRequesting additional controller time.\r\n[   27] 1234567\r\n"),
        std::string::npos);
    EXPECT_NE(results.find("[   28] 1234567\r\n\r\n ** Programming Complete ** \r\n\r\n"
                           "Closing session with remote controller.\r\n"),
              std::string::npos);
    EXPECT_EQ(host.LineNumber(), "00029");
    EXPECT_EQ(programmer.Session().m_password, "4711");
    // The session's texts go to the editor, after the program file shown there.
    EXPECT_NE(host.Editor().find("#session 4711 5550199\r\nDialing controller @ 5550199\r\n"
                                 "Waiting for answer...\r\nRequesting time - 3 minutes.\r\n"),
              std::string::npos);
    const auto& events = host.Events();
    const auto wait = std::find(events.begin(), events.end(), "cursor wait");
    ASSERT_NE(wait, events.end());
    EXPECT_NE(std::find(wait, events.end(), "cursor arrow"), events.end());
}

TEST_F(ToneRun, ARenewalThatFellDueBeforeTheSessionOpenedGoesOutRightAfterIt) {
    Run("#wait 130\n#session 1 2\n3\n");
    const std::uint64_t open = 130000 + 1000 + 15000 + (2 * 10 + 26) * 100;  // "1790 30 *" dialled
    const std::uint64_t renewed = open + 5000 + (2 * 12 + 26) * 100;
    EXPECT_EQ(Recorded(), (Writes{{130000, "ATH1\r"},
                                  {131000, "ATDT 2;\r"},
                                  {146000, "ATDT "},
                                  {146000, "179030 *;\r"},
                                  {open + 5000, "ATDT "},
                                  {open + 5000, "1 79 030 *;\r"},
                                  {renewed, "ATDT "},
                                  {renewed, "3;\r"},
                                  {renewed + 3200, "ATDT "},
                                  {renewed + 3200, "1 79 001 *;\r"},
                                  {renewed + 3200 + 5000 + 1000, "AT\r"},
                                  {renewed + 3200 + 5000 + 2000, "ATH0\r"}}));
}

TEST_F(ToneRun, ARefusedSessionLineLeavesTheRunSilentToTheEnd) {
    Run("#session 4711\n12\n");
    EXPECT_EQ(Recorded(), (Writes{{1000, "AT\r"}, {2000, "ATH0\r"}}));
    EXPECT_NE(host.Editor().find("#session 4711\r\n** ERROR: Telephone number missing. **\r\n"),
              std::string::npos);
    EXPECT_EQ(host.Results().find("Closing session"), std::string::npos);
    EXPECT_EQ(host.Results().find("Requesting additional"), std::string::npos);
    EXPECT_NE(host.Results().find("[    2] 12\r\n\r\n ** Programming Complete ** "),
              std::string::npos);
}

TEST_F(ToneRun, ASessionLineOnlyAnIncludeHoldsFindsALocalToneRun) {
    const std::string include = folder.Write("session.inc", "#session 4711 555\n");
    Run("#include " + include + "\n34\n");
    EXPECT_EQ(
        Recorded(),
        (Writes{
            {0, "ATH1\r"}, {1000, "ATDT "}, {1000, "34;\r"}, {5400, "AT\r"}, {6400, "ATH0\r"}}));
    EXPECT_NE(host.Editor().find(
                  "#session 4711 555\r\n\r\n** Error: Remote session already in progress.\r\n"),
              std::string::npos);
    EXPECT_FALSE(programmer.Session().m_remoteSession);
}

TEST_F(ToneRun, LinesBeforeTheSessionLineAreShownButNotDialled) {
    Run("12\n#session 1 2 1\n");
    const Writes writes = Recorded();
    ASSERT_GE(writes.size(), 2u);
    EXPECT_EQ(writes[0].second, "ATH1\r");
    EXPECT_EQ(writes[1].second, "ATDT 2;\r");
    EXPECT_NE(host.Results().find("[    1] 12\r\n"), std::string::npos);
}

TEST_F(ToneRun, StopDuringAToneDialTakesEffectAfterTheLine) {
    int pumps = 0;
    host.OnPump([&] {
        if (++pumps == 40) programmer.StopProgramming();  // inside the first line's dial wait
    });
    Run("12 34\n56\n");
    EXPECT_EQ(line.Written(), "ATH1\rATDT 12 34;\rAT\rATH0\r");
    EXPECT_NE(host.Results().find("[    1] 12 34\r\n\r\n\r\n** Programming halted by user. **\r\n"),
              std::string::npos);
    EXPECT_EQ(host.Results().find("Programming Complete"), std::string::npos);
    EXPECT_EQ(programmer.LastOutcome(), CProgrammer::RunOutcome::HaltedByUser);
}


// A device that vanishes ends the run at once: checked before the first line too, with no
// closing tones played into it and no pause for a modem that is not there.
TEST_F(ToneRun, AVanishedDeviceEndsTheRunWithoutClosingTonesOrPauses) {
    const std::string lost =
        "\r\n** Programming halted: serial device /dev/ttyS1 lost (Input/output error). **\r\n";
    struct Case {
        const char* name;
        std::string program;
        std::string pullOn;  // the write after which the device is gone
        Writes writes;
        std::uint64_t endsAt;  // virtual milliseconds
        std::string shown;     // the results after the banner
    };
    const Case cases[] = {
        {"off hook", "12\n34\n", "ATH1\r", {{0, "ATH1\r"}}, 1000, lost},
        {"local tones",
         "12\n34\n",
         "12;\r",
         {{0, "ATH1\r"}, {1000, "ATDT "}, {1000, "12;\r"}},
         1000,
         "[    1] 12\r\n" + lost},
        {"remote session",
         "#session 4711 555\n12\n34\n",
         "12;\r",
         {{0, "ATH1\r"},
          {1000, "ATDT 555;\r"},
          {16000, "ATDT "},
          {16000, "471179030 *;\r"},
          {21200, "ATDT "},
          {21200, "12;\r"}},
         21200,
         "[    1] #session 4711 555\r\n[    2] 12\r\n" + lost},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualClock caseClock;
        FakeSerialLine caseLine{caseClock};
        FakeSerialOpener caseOpener{caseLine};
        MemoryRunHost caseHost{&caseClock};
        CProgrammer run{caseHost, caseClock, caseOpener};
        run.SetPort(2);
        caseLine.SetResponder([&](std::string_view written, FakeSerialLine& fake) {
            if (written == c.pullOn) fake.Pull("Input/output error");
        });
        run.SetWorkingFile(folder.Write("lost.orv", c.program));
        run.ProgramFromFile();
        EXPECT_EQ(RecordedWrites(caseLine), c.writes);
        EXPECT_EQ(caseClock.TickMs(), c.endsAt);
        EXPECT_EQ(caseHost.Results(),
                  "\r\nBeginning programming from " + run.WorkingFile() + "\r\n\r\n" + c.shown);
        EXPECT_EQ(run.LastOutcome(), CProgrammer::RunOutcome::HaltedDeviceLost);
    }
}

}  // namespace
}  // namespace zentrip::testing
