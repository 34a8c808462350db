#include "app/window_state.h"

#include <gtest/gtest.h>

#include <vector>

namespace zentrip {
namespace {

using Step = WindowState::CloseStep;
using Answer = WindowState::TerminalAnswer;

std::vector<Step> Rest(WindowState& state) {
    std::vector<Step> steps;
    while (const std::optional<Step> step = state.NextCloseStep()) steps.push_back(*step);
    return steps;
}

TEST(WindowState, AWayOutTakesItsStepsInOrderAndOnlyTheFirstBegins) {
    WindowState state;
    ASSERT_TRUE(state.BeginClose({Step::Collapse, Step::HangUp, Step::Save, Step::Finish}));
    EXPECT_TRUE(state.Closing());
    EXPECT_FALSE(state.BeginClose({Step::Finish}));
    EXPECT_EQ(state.FirstCloseStep(false), Step::Collapse);
    EXPECT_EQ(state.PortsFreed(false), std::nullopt);  // nothing waits
    EXPECT_FALSE(state.Closed());
    EXPECT_EQ(Rest(state), (std::vector<Step>{Step::HangUp, Step::Save, Step::Finish}));
    EXPECT_TRUE(state.Closed());
}

TEST(WindowState, AWayOutWaitsUntilNeitherTheWorkNorTheTerminalHoldsAPort) {
    WindowState state;
    ASSERT_EQ(state.AskForTerminal(false, false), Answer::Open);
    ASSERT_TRUE(state.OpenTerminal());
    ASSERT_TRUE(state.BeginClose({Step::Save, Step::Finish}));
    EXPECT_EQ(state.FirstCloseStep(true), std::nullopt);
    EXPECT_EQ(state.PortsFreed(false), std::nullopt);  // the terminal still holds its port
    state.TerminalClosed();
    EXPECT_EQ(state.PortsFreed(true), std::nullopt);
    EXPECT_EQ(state.PortsFreed(false), Step::Save);
    EXPECT_EQ(state.PortsFreed(false), std::nullopt);
    EXPECT_FALSE(state.OpenTerminal());
}

TEST(WindowState, TheMiniTerminalButtonWaitsForAModemJobAndIsRefusedDuringARun) {
    struct Case {
        bool closing, open, run, busy;
        Answer answer;
        bool opensAfterWork;
    };
    for (const Case& c : std::vector<Case>{
             {false, false, false, false, Answer::Open, false},
             {false, false, false, true, Answer::OpenAfterWork, true},
             {false, false, true, true, Answer::Refuse, false},
             {false, true, false, false, Answer::Nothing, false},
             {true, false, false, false, Answer::Nothing, false},
         }) {
        WindowState state;
        if (c.open) state.OpenTerminal();
        if (c.closing) state.BeginClose({});
        EXPECT_EQ(state.AskForTerminal(c.run, c.busy), c.answer);
        EXPECT_EQ(state.TakeWantedTerminal(), c.opensAfterWork);
        EXPECT_FALSE(state.TakeWantedTerminal());
    }
    WindowState state;
    state.AskForTerminal(false, true);
    state.RunAsked();
    EXPECT_FALSE(state.TakeWantedTerminal());
}

TEST(WindowState, AnEditorLockedUntilShownOpensOnTheNextLoad) {
    WindowState state;
    state.LockEditor(WindowState::EditorLock::UntilShown, 3);
    EXPECT_FALSE(state.FileShown(3));
    EXPECT_TRUE(state.FileShown(4));
    state.LockEditor(WindowState::EditorLock::WhileRunning, 3);
    EXPECT_FALSE(state.FileShown(4));
}

TEST(WindowState, ChangesDuringAnAnalysisGetOneMoreAfterIt) {
    WindowState state;
    EXPECT_TRUE(state.BeginAnalysis());
    EXPECT_FALSE(state.BeginAnalysis());
    EXPECT_FALSE(state.BeginAnalysis());
    EXPECT_TRUE(state.EndAnalysis());
    EXPECT_TRUE(state.BeginAnalysis());
    EXPECT_FALSE(state.EndAnalysis());
}

}  // namespace
}  // namespace zentrip
