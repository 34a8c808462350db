#include "app/worker/window_state.h"

#include <gtest/gtest.h>

namespace zentrip {
namespace {

using Step = WindowState::CloseStep;
using Answer = WindowState::TerminalAnswer;

TEST(WindowState, AWayOutWaitsForThePortsThenTakesItsStepsInOrder) {
    WindowState state;
    ASSERT_TRUE(state.OpenTerminal());
    ASSERT_TRUE(state.BeginClose({Step::Save, Step::HangUp, Step::Finish}));
    EXPECT_FALSE(state.BeginClose({Step::Finish}));
    EXPECT_FALSE(state.OpenTerminal());
    EXPECT_EQ(state.FirstCloseStep(false), std::nullopt);  // the terminal holds its port
    state.TerminalClosed();
    EXPECT_EQ(state.PortsFreed(true), std::nullopt);
    EXPECT_EQ(state.PortsFreed(false), Step::Save);
    EXPECT_EQ(state.PortsFreed(false), std::nullopt);  // nothing waits any more
    EXPECT_EQ(state.NextCloseStep(), Step::HangUp);
    EXPECT_FALSE(state.Closed());
    EXPECT_EQ(state.NextCloseStep(), Step::Finish);
    EXPECT_TRUE(state.Closed());
    EXPECT_EQ(state.NextCloseStep(), std::nullopt);
}

TEST(WindowState, TheMiniTerminalWaitsForAModemJobAndIsRefusedDuringARun) {
    struct Case {
        bool closing, open, run, busy;
        Answer answer;
    };
    for (const Case& c : {Case{false, false, false, false, Answer::Open},
                          Case{false, false, false, true, Answer::OpenAfterWork},
                          Case{false, false, true, true, Answer::Refuse},
                          Case{false, true, false, false, Answer::Nothing},
                          Case{true, false, false, true, Answer::Nothing}}) {
        WindowState state;
        if (c.open) state.OpenTerminal();
        if (c.closing) state.BeginClose({});
        EXPECT_EQ(state.AskForTerminal(c.run, c.busy), c.answer);
        EXPECT_EQ(state.TakeWantedTerminal(), c.answer == Answer::OpenAfterWork);
        EXPECT_FALSE(state.TakeWantedTerminal());
    }
    WindowState state;
    state.AskForTerminal(false, true);
    state.RunAsked();
    EXPECT_FALSE(state.TakeWantedTerminal());
}

TEST(WindowState, TheEditorWaitsForTheNextLoadAndAnAnalysisForTheOneUnderWay) {
    WindowState state;
    state.LockEditor(WindowState::EditorLock::UntilShown, 3);
    EXPECT_FALSE(state.FileShown(3));
    EXPECT_TRUE(state.FileShown(4));
    state.LockEditor(WindowState::EditorLock::WhileRunning, 3);
    EXPECT_FALSE(state.FileShown(4));

    EXPECT_TRUE(state.BeginAnalysis());
    EXPECT_FALSE(state.BeginAnalysis());
    EXPECT_FALSE(state.BeginAnalysis());
    EXPECT_TRUE(state.EndAnalysis());  // one more for both changes
    EXPECT_TRUE(state.BeginAnalysis());
    EXPECT_FALSE(state.EndAnalysis());
}

}  // namespace
}  // namespace zentrip
