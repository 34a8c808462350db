// FoldAnimator: runs the main window's fold, unfold and close animations on 10 ms timers, one
// step of app/main_window/fold_geometry.h per tick. The window keeps its top-left corner; each
// step fixes its size, so the user cannot resize it by hand either. Height() is the height the
// animations have set, which a window manager that caps the window's size does not change.
#pragma once

#include <QObject>
#include <QTimer>

#include "app/main_window/fold_geometry.h"

class QWidget;

namespace zentrip {

class FoldAnimator final : public QObject {
    Q_OBJECT

public:
    FoldAnimator(QWidget& window, FoldHeights heights);

    const FoldHeights& Heights() const { return m_heights; }
    int Height() const { return m_height; }
    // Sets the window's size at once, without animation.
    void SetHeight(int height);

    void Unfold();    // ShowStatusDisplay
    void Fold();      // HideStatusDisplay
    void Collapse();  // CollapseForClose: Collapsed() follows when it is over

signals:
    void Stepped(int height);
    void Collapsed();

private:
    WindowRect Current() const;
    void Apply(const AnimationStep& step, QTimer& timer);

    QWidget& m_window;
    FoldHeights m_heights;
    int m_height = 0;
    WindowRect m_fullRect;  // the unfold's and the close's rectangle
    WindowRect m_foldRect;
    QTimer m_unfold;
    QTimer m_fold;
    QTimer m_close;
};

}  // namespace zentrip
