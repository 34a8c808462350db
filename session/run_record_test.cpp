// The record a run leaves: its header, its results byte for byte, its failed lines, the
// outcome line of every way a run ends, the pruning, and a folder that cannot take it.
#include "session/run_record.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <memory>

#include "session/run_fixture.h"
#include "session/run_records.h"
#include "sim/fake_line_simulator.h"
#include "sim/simulator.h"
#include "tests/support/time_zone.h"

namespace zentrip::testing {
namespace {

// Local time is UTC here, so the record's times read the same everywhere; a base, so the zone
// is set before the run fixture's clock is made.
struct UtcZone {
    ScopedTimeZone zone{"UTC0"};
};

class RecordedRun : private UtcZone, public VirtualRun {
protected:
    void SetUp() override {
        VirtualRun::SetUp();
        clock.AdvanceMs(1796825002000);  // 2026-12-09 14:03:22 UTC
        programmer.SetRecordFolder(Runs());
        sim::ControllerOptions controller;
        controller.complainPattern = "^BAD";
        controller.silentPattern = "^MUTE";
        sim::SimOptions options;
        options.controller = controller;
        std::string error;
        std::shared_ptr<sim::Simulator> simulator = sim::Simulator::Create(options, &error);
        ASSERT_TRUE(simulator) << error;
        sim::AttachSimulator(line, simulator);
    }
    std::string Runs() const { return folder.Path("runs"); }
    // The one record the run left.
    RunRecordView Record() const {
        const std::vector<std::string> files = RunRecordFiles(Runs());
        EXPECT_EQ(files.size(), 1u);
        std::string why;
        const auto view = files.empty() ? std::nullopt : ReadRunRecord(files[0], false, &why);
        EXPECT_TRUE(view) << why;
        return view.value_or(RunRecordView{});
    }
};

TEST_F(RecordedRun, HoldsTheHeaderTheResultsAsShownAndTheFailedLines) {
    ASSERT_EQ(chdir(folder.Path().c_str()), 0);  // the include is found beside the program
    folder.Write("inc.orv", "INC 1\n");
    host.QueueAnswer(MessageBoxAnswer::Yes);
    Run("#direct\n#include inc.orv\nGOOD 1\nBAD 2\n");
    ASSERT_EQ(chdir("/"), 0);

    const std::string name = "2026-12-09T14-03-22_program.orv.txt";
    const std::string text = TempDir::Read(Runs() + "/" + name);
    const std::string results = host.Results();
    const std::size_t header = text.find("\r\n\r\n") + 4;
    EXPECT_EQ(
        text.substr(0, header),
        "Zentrip run record\r\n"
        "Start: 2026-12-09 14:03:22 +0000\r\n"
        "End: " +
            text.substr(text.find("End: ") + 5, 25) +
            "\r\n"
            "Outcome: complete with 1 controller error\r\n"
            "Errors: 1\r\n"
            "Zentrip version: 2.21\r\n"
            "Program: program.orv\r\n"
            "Working file: " +
            folder.Path("program.orv") +
            "\r\n"
            "Working file size: 38\r\n"
            "Working file SHA-256: "
            "803cf20d45b9d63a33f112c3d247d71cbe5dd2dadce70bd0bfeb8b46c6b351b4\r\n"
            "Included file: beb42832730f00dc98fa8da0a101488b4bea205f396ab891438e02488a0e74aa  " +
            folder.Path("inc.orv") +
            "\r\n"
            "Mode: direct\r\n"
            "COM port: 2\r\n"
            "Device: /dev/ttyS1\r\n"
            "Rate: 2400\r\n"
            "Results: " +
            std::to_string(results.size()) + " bytes\r\n\r\n");
    EXPECT_THAT(text.substr(text.find("End: "), 32),
                ::testing::MatchesRegex("End: 2026-12-09 14:0[3-9]:[0-9][0-9] \\+0000\r\n"));
    EXPECT_EQ(text.substr(header), results +
                                       "\r\nFailed lines: 1\r\nLine 5: BAD 2\r\n"
                                       "  Verdict: Controller Reported ERROR 12\r\n");
    const RunRecordView view = Record();
    EXPECT_TRUE(view.finished);
    EXPECT_EQ(view.results, results);
}

TEST_F(RecordedRun, SaysHowEveryRunEnded) {
    struct Case {
        const char* program;
        std::function<void()> setUp;
        const char* outcome;
        const char* errors;
    } cases[] = {
        {"#direct\nGOOD\n", nullptr, "complete", "0"},
        {"#direct\nBAD 1\nBAD 2\n", [this] { host.QueueAnswer(MessageBoxAnswer::Yes); },
         "complete with 2 controller errors", "2"},
        {"#direct\nGOOD\nMORE\n",
         [this] {
             host.OnPump([this] {
                 if (host.LineNumber() == "00002") programmer.StopProgramming();
             });
         },
         "halted by the user", "0"},
        {"#direct\nMUTE\nNEVER\n", nullptr, "halted by an error condition", "1"},
        {"#direct\n#include nowhere.orv\n", nullptr, "fatal error", "1"},
        {"#direct\nGOOD\nMORE\n",
         [this] {
             host.OnPump([this] {
                 if (host.LineNumber() == "00002") line.Pull("Input/output error");
             });
         },
         "halted: the serial device was lost", "0"},
        {"GOOD\n", [this] { line.FailOpens("Device or resource busy"); },
         "not started: the serial port could not be opened (/dev/ttyS1: Device or resource "
         "busy)",
         "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outcome);
        std::filesystem::remove_all(Runs());
        host.OnPump(nullptr);
        line.FailOpens("");
        if (c.setUp) c.setUp();
        Run(c.program);
        const RunRecordView view = Record();
        EXPECT_EQ(view.Value("Outcome"), c.outcome);
        EXPECT_EQ(view.Value("Errors"), c.errors);
        EXPECT_EQ(view.results, host.Results());
    }
    std::filesystem::remove_all(Runs());
    line.FailOpens("");
    programmer.SetWorkingFile(folder.Path());  // a folder: the preprocessor cannot open it
    programmer.ProgramFromFile();
    EXPECT_EQ(Record().Value("Outcome"), "not started: the program file could not be opened");
}

TEST_F(RecordedRun, KeepsTheNewestThousand) {
    std::filesystem::create_directories(Runs());
    for (int i = 0; i < 1000; ++i) {
        std::ofstream(Runs() + "/2020-01-01T00-" + std::to_string(10000 + i).substr(1, 2) + "-" +
                      std::to_string(100 + i % 60).substr(1) + "_old" + std::to_string(i) +
                      ".orv.txt");
    }
    const std::string notARecord = folder.Write("runs/notes.txt", "mine");
    const std::vector<std::string> before = RunRecordFiles(Runs());
    ASSERT_EQ(before.size(), 1000u);
    Run("#direct\nGOOD\n");
    const std::vector<std::string> after = RunRecordFiles(Runs());
    ASSERT_EQ(after.size(), 1000u);
    EXPECT_EQ(after.front(), Runs() + "/2026-12-09T14-03-22_program.orv.txt");
    EXPECT_EQ(after.back(), before[998]);  // only the oldest went
    EXPECT_TRUE(std::filesystem::exists(notARecord));
}

TEST_F(RecordedRun, AFolderThatCannotTakeItNeverStopsTheRun) {
    folder.Write("runs", "a file where the folder should be");
    ::testing::internal::CaptureStderr();
    Run("#direct\nGOOD\n");
    const std::string told = ::testing::internal::GetCapturedStderr();
    const std::string why = "This run is not recorded: cannot create " + Runs() +
                            "/2026-12-09T14-03-22_program.orv.txt: Not a directory";
    EXPECT_EQ(told, "zentrip: " + why + "\n");
    EXPECT_EQ(host.Results().find("\r\n** " + why + " **\r\n"), 0u);
    EXPECT_EQ(programmer.LastOutcome(), CProgrammer::RunOutcome::Complete);
    EXPECT_NE(host.Results().find("[    2] GOOD\r\n"), std::string::npos);
}

}  // namespace
}  // namespace zentrip::testing
