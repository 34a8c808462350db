// The colours of the text panes and fields that show results: green on a dark ground, in
// the main window and in the Mini Terminal alike.
#pragma once

#include <QColor>

namespace zentrip {

inline const QColor kPaneBackground(40, 40, 40);
inline const QColor kPaneText(0, 255, 0);

}  // namespace zentrip
