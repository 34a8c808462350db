#include "app/main_window/fold_geometry.h"

#include <algorithm>

namespace zentrip {

std::optional<WindowRect> StartUnfold(const WindowRect& current, const FoldHeights& heights) {
    if (current.Height() >= heights.full - 1) return std::nullopt;
    WindowRect start = current;
    start.bottom = start.top + heights.collapsed;
    return start;
}

WindowRect StartFold(const WindowRect& current, const FoldHeights& heights) {
    WindowRect start = current;
    start.bottom = start.top + heights.full;
    return start;
}

AnimationStep UnfoldStep(const WindowRect& rect, const FoldHeights& heights) {
    AnimationStep step{rect, false};
    step.rect.bottom += kHeightStep;
    if (step.rect.Height() >= heights.full) {
        step.rect.bottom = step.rect.top + heights.full;
        step.done = true;
    }
    return step;
}

AnimationStep FoldStep(const WindowRect& rect, const FoldHeights& heights) {
    AnimationStep step{rect, false};
    step.rect.bottom -= kHeightStep;
    if (step.rect.Height() <= heights.collapsed) {
        step.rect.bottom = step.rect.top + heights.collapsed;
        step.done = true;
    }
    return step;
}

AnimationStep CollapseStep(const WindowRect& rect) {
    AnimationStep step{rect, false};
    step.rect.bottom = std::max(step.rect.top, step.rect.bottom - kHeightStep);
    step.rect.right = std::max(step.rect.left, step.rect.right - kCloseWidthStep);
    step.done = step.rect.Height() <= kClosedHeight;
    return step;
}

}  // namespace zentrip
