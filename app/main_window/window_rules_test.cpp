// The main window's Qt-free rules: the animations' steps and end heights, dragging, the
// file-choice filter and the command line.
#include <gtest/gtest.h>

#include <vector>

#include "app/dialogs/file_filter.h"
#include "app/main_window/fold_geometry.h"
#include "app/main_window/window_drag.h"
#include "app/program/app_options.h"

namespace zentrip {
namespace {

constexpr FoldHeights kHeights{544, 300};

std::vector<int> Heights(WindowRect rect,
                         AnimationStep (*step)(const WindowRect&, const FoldHeights&)) {
    std::vector<int> heights;
    for (AnimationStep s{rect, false}; !s.done && heights.size() < 100;) {
        s = step(s.rect, kHeights);
        EXPECT_EQ(s.rect.top, rect.top);
        EXPECT_EQ(s.rect.Width(), rect.Width());
        heights.push_back(s.rect.Height());
    }
    return heights;
}

TEST(FoldGeometry, UnfoldAndFoldMoveTwentyPixelsATickAndStopAtTheirExactHeights) {
    const std::optional<WindowRect> start = StartUnfold({100, 50, 835, 50 + 300}, kHeights);
    ASSERT_TRUE(start);
    std::vector<int> expected;
    for (int h = 320; h < 544; h += 20) expected.push_back(h);
    expected.push_back(544);
    EXPECT_EQ(Heights(*start, UnfoldStep), expected);

    const WindowRect full = StartFold({100, 50, 835, 50 + 431}, kHeights);
    EXPECT_EQ(full.Height(), 544);
    expected.clear();
    for (int h = 524; h > 300; h -= 20) expected.push_back(h);
    expected.push_back(300);
    EXPECT_EQ(Heights(full, FoldStep), expected);
}

TEST(FoldGeometry, UnfoldStartsFromTheCollapsedHeightUnlessAlmostFull) {
    EXPECT_FALSE(StartUnfold({0, 10, 700, 10 + 543}, kHeights));
    const std::optional<WindowRect> partway = StartUnfold({5, 10, 700, 10 + 542}, kHeights);
    ASSERT_TRUE(partway);
    EXPECT_EQ(*partway, (WindowRect{5, 10, 700, 10 + 300}));
}

TEST(FoldGeometry, TheCloseShrinksTowardsTheTopLeftUntilFourPixelsAreLeft) {
    WindowRect rect{100, 50, 300, 50 + 130};
    std::vector<WindowRect> steps;
    for (AnimationStep s{rect, false}; !s.done;) {
        s = CollapseStep(s.rect);
        steps.push_back(s.rect);
    }
    ASSERT_EQ(steps.size(), 7u);
    EXPECT_EQ(steps[0], (WindowRect{100, 50, 250, 50 + 110}));
    EXPECT_EQ(steps[3], (WindowRect{100, 50, 100, 50 + 50}));  // no narrower than nothing
    EXPECT_EQ(steps.back(), (WindowRect{100, 50, 100, 50}));
    EXPECT_FALSE(CollapseStep({0, 0, 10, 25}).done);
    EXPECT_TRUE(CollapseStep({0, 0, 10, 24}).done);
}

TEST(WindowDrag, MovesFollowTheCursorOnlyAfterAPressInTheWindow) {
    WindowDrag drag;
    EXPECT_FALSE(drag.Move({30, 40}));
    drag.Press({10, 10}, {200, 100});
    EXPECT_EQ(drag.Move({15, 12}), (ScreenPoint{205, 102}));
    // The window has followed: the cursor is back near where it was pressed.
    EXPECT_EQ(drag.Move({13, 10}), (ScreenPoint{208, 102}));
    drag.Release();
    EXPECT_FALSE(drag.Move({50, 50}));
}

TEST(FileFilter, TheProgramFilterBecomesQtsWithAllFilesMatchingEveryName) {
    EXPECT_EQ(QtFileFilter("Orvane Files (*.orv) | *.orv | All Files (*.*) | *.* ||"),
              "Orvane Files (*.orv);;All Files (*)");
    EXPECT_EQ(QtFileFilter("Text|*.txt"), "Text (*.txt)");
}

TEST(AppOptions, AFileAndSimulateOtherwiseAReason) {
    AppOptions options = ParseAppOptions({"--simulate", "examples/demo.orv"});
    EXPECT_TRUE(options.simulate);
    EXPECT_EQ(options.workingFile, "examples/demo.orv");
    EXPECT_EQ(options.error, "");
    EXPECT_TRUE(ParseAppOptions({"--help"}).help);
    EXPECT_EQ(ParseAppOptions({"a.orv", "b.orv"}).error, "one program file only");
    EXPECT_EQ(ParseAppOptions({"--fast"}).error, "unknown option '--fast'");
    EXPECT_EQ(ParseAppOptions({"-"}).workingFile, "-");
}

}  // namespace
}  // namespace zentrip
