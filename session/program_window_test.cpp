// Programming from the editor, the file choice and the refusals while a run holds the port.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "session/run_fixture.h"
#include "sim/fake_line_simulator.h"
#include "sim/simulator.h"
#include "tests/support/scoped_env.h"

namespace zentrip::testing {
namespace {

class ProgramWindow : public VirtualRun {
protected:
    void SetUp() override {
        VirtualRun::SetUp();
        std::string error;
        simulator = sim::Simulator::Create({}, &error);
        ASSERT_TRUE(simulator) << error;
        sim::AttachSimulator(line, simulator);
        host.SetDirectModeChecked(true);
        programmer.SetWorkingFile("/home/user/mine.orv");
    }
    // Looks at the working file from inside the run.
    void WatchWorkingFile() {
        host.OnPump([this] {
            if (!seenPath.empty()) return;
            seenPath = programmer.WorkingFile();
            struct stat info {};
            if (stat(seenPath.c_str(), &info) == 0) seenMode = info.st_mode & 07777;
        });
    }
    std::vector<std::string> ControllerLines() const { return simulator->Controller().Lines(); }
    std::size_t FilesInFolder() const {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(folder.Path()),
                          std::filesystem::directory_iterator()));
    }

    std::shared_ptr<sim::Simulator> simulator;
    testing::ScopedEnv tmpdir{"TMPDIR", folder.Path()};  // the run's temporary files go here
    std::string seenPath;
    unsigned seenMode = 0;
};

TEST_F(ProgramWindow, AllInWindowRunsAPrivateTemporaryFileAndPutsEverythingBack) {
    const std::string text = "ONE\r\n; note\r\nTWO\r\n";
    host.EditorSink().SetText(text);
    WatchWorkingFile();
    programmer.ProgramAllInWindow();

    EXPECT_EQ(ControllerLines(), (std::vector<std::string>{"ONE", "TWO"}));
    EXPECT_EQ(seenPath.rfind(folder.Path() + "/", 0), 0u) << seenPath;
    EXPECT_EQ(seenMode, 0600u);
    EXPECT_FALSE(std::filesystem::exists(seenPath));
    EXPECT_EQ(FilesInFolder(), 0u);
    EXPECT_EQ(programmer.WorkingFile(), "/home/user/mine.orv");
    EXPECT_EQ(host.Editor(), text);
    EXPECT_NE(host.Results().find("Beginning programming from " + seenPath), std::string::npos);
    for (const auto& event : host.Events()) EXPECT_NE(event.rfind("working file", 0), 0u) << event;
}

// Once the run has the file open it needs no name for it: a run killed then leaves nothing.
TEST_F(ProgramWindow, TheTemporaryFileGoesOnceTheRunHasItOpen) {
    host.EditorSink().SetText("ONE\r\nTWO\r\nTHREE\r\n");
    std::vector<std::size_t> files;
    host.OnPump([&] { files.push_back(FilesInFolder()); });
    programmer.ProgramAllInWindow();
    EXPECT_EQ(ControllerLines(), (std::vector<std::string>{"ONE", "TWO", "THREE"}));
    ASSERT_GE(files.size(), 2u);
    EXPECT_EQ(files.front(), 1u) << "there while the run starts";
    EXPECT_EQ(files.back(), 0u) << "gone while its lines are sent";
}

TEST_F(ProgramWindow, TheTemporaryFileGoesAlsoWhenTheRunCannotStart) {
    host.EditorSink().SetText("ONE\r\n");
    line.FailOpens("Permission denied");
    programmer.ProgramAllInWindow();
    // The device and the system's reason follow the text, as zentrip-cli names them.
    EXPECT_EQ(
        host.MessageBoxTexts(),
        std::vector<std::string>{"Failed to open serial port!\n/dev/ttyS1: Permission denied"});
    EXPECT_EQ(FilesInFolder(), 0u);
    EXPECT_EQ(host.Editor(), "ONE\r\n");
    EXPECT_EQ(programmer.LastOutcome(), CProgrammer::RunOutcome::NotStarted);
    EXPECT_FALSE(programmer.IsProgrammingActive());
}

TEST_F(ProgramWindow, ATemporaryFileThatCannotBeMadeIsReportedWithTheStopIcon) {
    setenv("TMPDIR", (folder.Path() + "/missing").c_str(), 1);
    host.EditorSink().SetText("ONE\r\n");
    programmer.ProgramAllInWindow();
    ASSERT_FALSE(host.Events().empty());
    EXPECT_EQ(host.Events().back(),
              "box ok stop -> ok: Error creating temporary file.\rUnable to program from window.");
    EXPECT_TRUE(line.Writes().empty());
}

TEST_F(ProgramWindow, SelectedProgramsExactlyTheSelectionAndRestoresIt) {
    const std::string text = "ONE\r\nTWO\r\nTHREE\r\n";
    host.EditorSink().SetText(text);
    host.EditorSink().SetSelection(5, 8);  // "TWO" without its line end
    programmer.ProgramSelected();
    EXPECT_EQ(ControllerLines(), (std::vector<std::string>{"TWO"}));
    std::size_t start = 0, end = 0;
    host.EditorSink().GetSelection(&start, &end);
    EXPECT_EQ(start, 5u);
    EXPECT_EQ(end, 8u);
    EXPECT_EQ(host.Editor(), text);
    EXPECT_EQ(host.Events().back(), "focus editor");

    host.EditorSink().SetSelection(0, 10);  // two lines with the second's line end
    programmer.ProgramSelected();
    EXPECT_EQ(ControllerLines(), (std::vector<std::string>{"TWO", "ONE", "TWO"}));
    EXPECT_EQ(FilesInFolder(), 0u);
}

TEST_F(ProgramWindow, NothingSelectedOrTooLittleTextStartsNoRun) {
    host.EditorSink().SetText("ONE\r\n");
    host.EditorSink().SetSelection(2, 2);
    programmer.ProgramSelected();
    EXPECT_EQ(host.Events().back(),
              "box ok information -> ok: First select the text you want sent to the\rcontroller in "
              "the EDIT window.");

    host.EditorSink().SetText("X");
    const std::size_t before = host.Events().size();
    programmer.ProgramAllInWindow();
    host.EditorSink().SetSelection(0, 1);
    programmer.ProgramSelected();
    EXPECT_EQ(host.Events().size(), before);
    EXPECT_TRUE(line.Writes().empty());
}

TEST_F(ProgramWindow, WhileARunHoldsThePortEveryOtherUseOfItIsRefused) {
    host.EditorSink().SetText("ONE\r\n");
    bool tried = false;
    bool hungUp = true;
    bool initialised = true;
    host.OnPump([&] {
        if (tried || !programmer.IsProgrammingActive()) return;
        tried = true;
        programmer.ProgramFromFile();
        programmer.ProgramAllInWindow();
        programmer.ProgramSelected();
        initialised = programmer.InitModem();
        hungUp = programmer.HangUp();
    });
    programmer.SetWorkingFile(folder.Write("run.orv", "ONE\nTWO\n"));
    programmer.ProgramFromFile();
    EXPECT_TRUE(tried);
    EXPECT_FALSE(initialised);
    EXPECT_FALSE(hungUp);
    EXPECT_EQ(host.MessageBoxTexts(),
              std::vector<std::string>(4, "In the process of programming a controller already."));
    EXPECT_EQ(line.Written(), "\r\rONE\rTWO\rAT\rATH0\r");
    EXPECT_EQ(line.OpenedRates(), (std::vector<std::uint32_t>{2400, 9600}));
    EXPECT_EQ(programmer.LastOutcome(), CProgrammer::RunOutcome::Complete);

    EXPECT_TRUE(programmer.HangUp());
    EXPECT_EQ(line.OpenedRates().size(), 3u);
}

TEST_F(ProgramWindow, StopWhileIdleFoldsTheStatusDisplay) {
    programmer.StopProgramming();
    EXPECT_EQ(host.Events(), std::vector<std::string>{"hide status display"});
}

TEST_F(ProgramWindow, TheFileChoiceAcceptsANewFileInAnExistingFolder) {
    host.QueueFileChoice(std::nullopt);
    programmer.SelectWorkingFile();
    EXPECT_EQ(programmer.WorkingFile(), "/home/user/mine.orv");

    const std::string path = folder.Path() + "/new.orv";
    host.QueueFileChoice(path);
    programmer.SelectWorkingFile();
    EXPECT_EQ(programmer.WorkingFile(), path);
    EXPECT_EQ(host.Editor(),
              "\r\n** File content couldn't be displayed. **\r\nNo such file or directory\r\n");
    EXPECT_EQ(
        host.Events()[1],
        "choose file *.* [Orvane Files (*.orv) | *.orv | All Files (*.*) | *.* ||] -> " + path);
    EXPECT_EQ(host.Events()[2], "working file " + path);
}

TEST_F(ProgramWindow, WithoutAWorkingFileTheRunAsksForOneAndACancelEndsIt) {
    programmer.SetWorkingFile("");
    host.EditorSink().SetText("keep");
    programmer.ProgramFromFile();
    EXPECT_EQ(host.Events(),
              (std::vector<std::string>{"editor= keep", "results= ", "errors 00000",
                                        "choose file *.* [Orvane Files (*.orv) | *.orv | All Files "
                                        "(*.*) | *.* ||] -> cancel"}));
    EXPECT_FALSE(programmer.IsProgrammingActive());
    EXPECT_TRUE(line.OpenedPaths().empty());
}

TEST_F(ProgramWindow, AProgramFileThePreprocessorCannotOpenEndsWithoutHangUp) {
    const std::string path = folder.Path() + "/gone.orv";
    programmer.SetWorkingFile(path);
    programmer.ProgramFromFile();
    EXPECT_NE(
        host.Results().find("Error: Couldn't open " + path + "\r\nNo such file or directory\r\n"),
        std::string::npos);
    EXPECT_EQ(line.Written(), "\r\r");
    EXPECT_EQ(line.OpenDevices(), 0);
    // The status area has unfolded: its button is there to fold it again.
    EXPECT_TRUE(host.StopButtonVisible());
    EXPECT_FALSE(programmer.IsProgrammingActive());
}

TEST_F(ProgramWindow, ShowFileInEditorEndsEveryLineWithCrLf) {
    const std::string longLine(600, 'L');
    programmer.ShowFileInEditor(folder.Write("show.orv", "a\r\nb\nx\ry\n" + longLine + "\nlast"));
    EXPECT_EQ(host.Editor(), "a\r\nb\r\nx\r\n" + longLine + "\r\nlast");
    // A NUL ends its line's text, never the line.
    programmer.ShowFileInEditor(
        folder.Write("nul.orv", std::string("12\0 34 10 2 015 *\n\n1234 10 3 015 *\n", 35)));
    EXPECT_EQ(host.Editor(), "12\r\n\r\n1234 10 3 015 *\r\n");
}

// The file is read as text: a CR LF is one line end even where a piece of 499 characters ends
// between the two. Only regular files are shown: opening a FIFO would block the window.
TEST_F(ProgramWindow, BytesThatAreNotTextAreProgrammedOnlyWhenTheUserSaysSo) {
    const std::string path = folder.Write("nul.orv", std::string("ONE\0 2\r\nTWO\x01\f\t\n", 15));
    programmer.SetWorkingFile(path);
    host.QueueAnswer(MessageBoxAnswer::No);
    programmer.ProgramFromFile();
    EXPECT_EQ(host.MessageBoxTexts().back(),
              path + " holds bytes that are not text. Program it anyway?");
    EXPECT_TRUE(line.OpenedPaths().empty());
    host.QueueAnswer(MessageBoxAnswer::Yes);
    programmer.ProgramFromFile();
    ASSERT_EQ(ControllerLines().size(), 2u);  // a NUL ends its line's text
    EXPECT_EQ(ControllerLines()[0], "ONE");

    host.EditorSink().SetText(std::string("ONE\0\r\n", 6));
    host.QueueAnswer(MessageBoxAnswer::No);
    programmer.ProgramAllInWindow();
    EXPECT_EQ(host.MessageBoxTexts().back(),
              "The editor holds bytes that are not text. Program it anyway?");
    // Text and tabs, CR, LF and FF ask nothing.
    programmer.SetWorkingFile(folder.Write("text.orv", "ONE\f\t\r\n"));
    const std::size_t asked = host.MessageBoxTexts().size();
    programmer.ProgramFromFile();
    EXPECT_EQ(host.MessageBoxTexts().size(), asked);
}

TEST_F(ProgramWindow, ShowFileInEditorReadsCrLfAsOneLineEnd) {
    const std::string line498(498, 'M');
    programmer.ShowFileInEditor(folder.Write("crlf.orv", line498 + "\r\nnext\r\n"));
    EXPECT_EQ(host.Editor(), line498 + "\r\nnext\r\n");

    programmer.ShowFileInEditor(folder.Path());
    EXPECT_EQ(host.Editor(), "\r\n** File content couldn't be displayed. **\r\nIs a directory\r\n");
}

}  // namespace
}  // namespace zentrip::testing
