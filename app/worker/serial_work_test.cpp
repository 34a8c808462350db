// The worker side of the main window without Qt: jobs run on the worker in order, every
// window operation reaches the window thread (here the test's thread, draining the window
// queue) with its arguments, the continue question waits for the window's answer, and the
// ways out stop a run at once, also in the middle of a wait command.
#include "app/worker/serial_work.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "sim/fake_line_simulator.h"
#include "sim/fake_serial_line.h"
#include "sim/simulator.h"
#include "tests/doubles/blocking_wait_clock.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"

namespace zentrip {
namespace {

// Records what reaches the window, and keeps the questions open until the test answers.
class RecordingWindow final : public RunWindow {
public:
    void SetLineNumberText(const std::string& text) override { lineNumber = text; }
    void SetTotalErrorsText(const std::string& text) override { Note("errors " + text); }
    void SetWorkingFileText(const std::string& text) override { Note("working file " + text); }
    void OpenMessageBox(const std::string& text, MessageBoxButtons, MessageBoxIcon,
                        Answered answered) override {
        Note("box " + text.substr(0, text.find('\r')));
        if (answered) questions.push_back(std::move(answered));
    }
    void OpenFileChoice(const std::string& filter, Chosen chosen) override {
        Note("choose " + filter);
        chosen(choice);
    }
    void EnableProgramButton(bool enable) override { Note(enable ? "enable" : "disable"); }
    void ShowStopButton(const std::string& caption) override { Note("show stop " + caption); }
    void SetStopButtonCaption(const std::string& caption) override { Note("stop " + caption); }
    void ShowStatusDisplay() override { Note("unfold"); }
    void HideStatusDisplay() override { Note("fold"); }
    void SetRunCursor(RunCursor) override {}
    void FocusEditor() override { Note("focus"); }

    void Note(std::string event) { events.push_back(std::move(event)); }

    std::vector<std::string> events;
    std::string lineNumber;
    std::vector<Answered> questions;
    std::optional<std::string> choice;
};

class SerialWorkTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        simulator = sim::Simulator::Create(ControllerComplaining(), &error);
        ASSERT_TRUE(simulator) << error;
        sim::AttachSimulator(line, simulator);
        work.Host().NoteHeights(500, 500);
    }
    static sim::SimOptions ControllerComplaining() {
        sim::SimOptions options;
        options.controller.complainPattern = "^BAD";
        return options;
    }
    // Acts as the window thread until `pred` holds.
    bool DrainUntil(const std::function<bool()>& pred) {
        return testing::WaitUntil([&] {
            if (woken.exchange(false)) queue.Drain();
            return pred();
        });
    }
    SerialWork::Snapshot Program(const std::string& text) {
        SerialWork::Snapshot snapshot;
        snapshot.directChecked = true;
        snapshot.workingFile = folder.Write("program.orv", text);
        return snapshot;
    }
    void StartRun(const std::string& text) {
        work.Start(
            SerialWork::JobKind::Run, Program(text), [](CProgrammer& p) { p.ProgramFromFile(); },
            [this] { ends.push_back(results.Text()); });
    }

    testing::TempDir folder;
    BlockingWaitClock clock;
    FakeSerialLine line{clock};
    FakeSerialOpener opener{line};
    std::shared_ptr<sim::Simulator> simulator;
    std::atomic<bool> woken{false};
    WindowQueue queue{[this] { woken = true; }};
    RecordingWindow window;
    TextModel editor;
    TextModel results;
    std::vector<std::string> ends;  // the results text at the end of each run
    SerialWork work{queue, window, editor, results, clock, opener};
};

TEST_F(SerialWorkTest, ARunReachesTheWindowInOrderAndItsEndComesBackOnTheWindowThread) {
    StartRun("ONE\nTWO\n");
    EXPECT_TRUE(work.Busy());
    EXPECT_TRUE(work.RunInProgress());
    ASSERT_TRUE(DrainUntil([&] { return !ends.empty(); }));
    EXPECT_FALSE(work.Busy());
    EXPECT_TRUE(ends[0].ends_with("Programming complete with 00000 total errors")) << ends[0];
    EXPECT_EQ(window.events,
              (std::vector<std::string>{"errors 00000", "unfold", "show stop STOP Programming",
                                        "disable", "enable", "stop Hide Status Display"}));
    EXPECT_EQ(window.lineNumber, "00003");
    EXPECT_NE(results.Text().find("[    2] TWO\r\n"), std::string::npos);
    EXPECT_EQ(line.Written(), "\r\rONE\rTWO\rAT\rATH0\r");
}

TEST_F(SerialWorkTest, TheContinueQuestionHoldsTheRunUntilTheWindowAnswers) {
    StartRun("BAD 1\nTWO\nBAD 2\n");
    ASSERT_TRUE(DrainUntil([&] { return window.questions.size() == 1; }));
    // Nothing goes on the line while the question is open.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(line.Written(), "\r\rBAD1\r");
    window.questions[0](MessageBoxAnswer::Yes);
    ASSERT_TRUE(DrainUntil([&] { return !ends.empty(); }));
    EXPECT_EQ(line.Written(), "\r\rBAD1\rTWO\rBAD2\rAT\rATH0\r");
    // The count the window was shown last.
    const auto errors = std::find_if(window.events.rbegin(), window.events.rend(),
                                     [](const std::string& e) { return e.starts_with("errors "); });
    ASSERT_NE(errors, window.events.rend());
    EXPECT_EQ(*errors, "errors 00002");

    StartRun("BAD 1\nTWO\n");
    ASSERT_TRUE(DrainUntil([&] { return window.questions.size() == 2; }));
    window.questions[1](MessageBoxAnswer::No);
    ASSERT_TRUE(DrainUntil([&] { return ends.size() == 2; }));
    EXPECT_NE(ends[1].find("** Programming halted by error condition. **"), std::string::npos);
}

TEST_F(SerialWorkTest, AWindowGoneBeforeItAnswersCountsAsNo) {
    StartRun("BAD 1\nTWO\n");
    ASSERT_TRUE(DrainUntil([&] { return window.questions.size() == 1; }));
    window.questions.clear();  // the box went without an answer
    queue.Close();
    ASSERT_TRUE(
        testing::WaitUntil([&] { return line.Written().find("ATH0") != std::string::npos; }));
    EXPECT_EQ(line.Written(), "\r\rBAD1\rAT\rATH0\r");
}

TEST_F(SerialWorkTest, AbortCutsAWaitCommandShortAndDropsTheJobsNotBegun) {
    StartRun("ONE\n#wait 100000\nTWO\n");
    bool laterDone = false;
    work.Start(
        SerialWork::JobKind::Modem, {}, [](CProgrammer& p) { p.InitModem(); },
        [&] { laterDone = true; });
    ASSERT_TRUE(DrainUntil([&] { return window.lineNumber == "00002"; }));
    // Aborted just before the wait or in it: either way the wait of 100000 s is not waited out.
    work.Abort();
    EXPECT_TRUE(work.RunInProgress());  // until its end sequence is over
    ASSERT_TRUE(DrainUntil([&] { return !ends.empty(); }));
    EXPECT_NE(ends[0].find("** Programming halted by user. **"), std::string::npos) << ends[0];
    EXPECT_EQ(line.Written(), "\r\rONE\rAT\rATH0\r");
    EXPECT_FALSE(laterDone);
    EXPECT_FALSE(work.Busy());
}

TEST_F(SerialWorkTest, EachJobStartsFromItsOwnSnapshot) {
    SerialWork::Snapshot snapshot;
    snapshot.settings.port = 2;
    snapshot.settings.devicePaths[1] = "/dev/modem-two";
    snapshot.settings.modemInitString = "ATX4";
    work.Start(SerialWork::JobKind::Modem, snapshot, [](CProgrammer& p) { p.InitModem(); });
    snapshot.settings.modemInitString = "ATX1";
    work.Start(SerialWork::JobKind::Modem, snapshot, [](CProgrammer& p) { p.InitModem(); });
    ASSERT_TRUE(DrainUntil([&] { return !work.Busy(); }));
    EXPECT_EQ(line.OpenedPaths(), (std::vector<std::string>{"/dev/modem-two", "/dev/modem-two"}));
    EXPECT_NE(line.Written().find("ATX4\r"), std::string::npos);
    ASSERT_NE(line.Written().find("ATX1\r"), std::string::npos);
    EXPECT_GT(line.Written().find("ATX1\r"), line.Written().find("ATX4\r"));
    EXPECT_NE(editor.Text().find("Modem Init String:ATX1\r\n"), std::string::npos);
}

}  // namespace
}  // namespace zentrip
