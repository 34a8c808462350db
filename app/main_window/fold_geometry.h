// The main window's three animations as arithmetic on its rectangle (the client area in
// screen coordinates): unfolding to show the status area, folding it away, and collapsing
// towards the top-left corner before the window closes. Every timer tick moves the bottom
// edge by one step (and the right edge, for the close); unfold and fold end at exactly
// their target heights. Qt-free, so the rules have plain tests.
#pragma once

#include <optional>

namespace zentrip {

inline constexpr int kAnimationTickMs = 10;
inline constexpr int kHeightStep = 20;
inline constexpr int kCloseWidthStep = 50;
// The folded window ends this far below the "Program All in Window" button.
inline constexpr int kFoldMargin = 10;
// The close animation is over once the client area is this high or less.
inline constexpr int kClosedHeight = 4;

struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;  // exclusive, like the bottom
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const WindowRect&) const = default;
};

struct FoldHeights {
    int full = 0;       // the whole template showing
    int collapsed = 0;  // down to just below the row of buttons under the editor
};

// The folded height for a button whose bottom edge is at buttonBottom (client coordinates).
inline int CollapsedHeight(int buttonBottom) { return buttonBottom + kFoldMargin; }

struct AnimationStep {
    WindowRect rect;
    bool done = false;
};

// Where the unfold starts from the current rectangle: folded to the collapsed height. None
// when the window is already within a pixel of its full height.
std::optional<WindowRect> StartUnfold(const WindowRect& current, const FoldHeights& heights);
// Where the fold starts: the current rectangle at the full height.
WindowRect StartFold(const WindowRect& current, const FoldHeights& heights);

AnimationStep UnfoldStep(const WindowRect& rect, const FoldHeights& heights);
AnimationStep FoldStep(const WindowRect& rect, const FoldHeights& heights);
// One tick of the close: shorter and narrower, never below zero size; done once the
// height is kClosedHeight or less.
AnimationStep CollapseStep(const WindowRect& rect);

}  // namespace zentrip
