#include "app/main_window/fold_animator.h"

#include <QWidget>
#include <algorithm>

namespace zentrip {

FoldAnimator::FoldAnimator(QWidget& window, FoldHeights heights)
    : QObject(&window), m_window(window), m_heights(heights), m_height(window.height()) {
    for (QTimer* timer : {&m_unfold, &m_fold, &m_close}) timer->setInterval(kAnimationTickMs);
    connect(&m_unfold, &QTimer::timeout, this, [this] {
        const AnimationStep step = UnfoldStep(m_fullRect, m_heights);
        m_fullRect = step.rect;
        Apply(step, m_unfold);
    });
    connect(&m_fold, &QTimer::timeout, this, [this] {
        const AnimationStep step = FoldStep(m_foldRect, m_heights);
        m_foldRect = step.rect;
        Apply(step, m_fold);
    });
    connect(&m_close, &QTimer::timeout, this, [this] {
        const AnimationStep step = CollapseStep(m_fullRect);
        m_fullRect = step.rect;
        Apply(step, m_close);
        if (step.done) emit Collapsed();
    });
}

void FoldAnimator::SetHeight(int height) {
    WindowRect rect = Current();
    rect.bottom = rect.top + height;
    Apply({rect, false}, m_unfold);
}

void FoldAnimator::Unfold() {
    const std::optional<WindowRect> start = StartUnfold(Current(), m_heights);
    if (!start) return;
    // A fold still under way would fight the unfold tick by tick; the unfold wins either way.
    m_fold.stop();
    m_fullRect = *start;
    m_unfold.start();
}

void FoldAnimator::Fold() {
    m_unfold.stop();
    m_foldRect = StartFold(Current(), m_heights);
    m_fold.start();
}

void FoldAnimator::Collapse() {
    m_unfold.stop();
    m_fold.stop();
    m_fullRect = Current();
    m_close.start();
}

WindowRect FoldAnimator::Current() const {
    const QRect geometry = m_window.geometry();
    return {geometry.x(), geometry.y(), geometry.x() + geometry.width(), geometry.y() + m_height};
}

void FoldAnimator::Apply(const AnimationStep& step, QTimer& timer) {
    if (step.done) timer.stop();
    m_height = step.rect.Height();
    // A window cannot be smaller than a pixel; the animation's own rectangle may be.
    const QSize size(std::max(1, step.rect.Width()), std::max(1, m_height));
    // Between animations the size is fixed, so the user cannot resize the window by hand.
    if (timer.isActive()) {
        m_window.setMinimumSize(0, 0);
        m_window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        m_window.resize(size);
    } else {
        m_window.setFixedSize(size);
    }
    emit Stepped(m_height);
}

}  // namespace zentrip
