// The fonts of the windows and the dialog-unit layout they imply: every window places its
// controls by the template's dialog units, converted with the base units of the dialog font,
// so the layout keeps its proportions at any screen scale.
#pragma once

#include <QFont>
#include <QRect>

#include "app/common/dialog_units.h"

namespace zentrip {

// The templates' "MS Sans Serif 8"; a metric stand-in where that face is absent.
QFont DialogFont();
// The fixed-pitch font of the editor, the results pane and the run's fields: "Courier New"
// with a character cell 14 pixels high; Liberation Mono stands in where it is absent.
QFont FixedPitchFont();

DialogBaseUnits BaseUnitsOf(const QFont& font);
// A template rectangle (dialog units) in pixels for a window whose dialog font is `font`.
QRect DialogRect(int x, int y, int width, int height, const QFont& font = DialogFont());

}  // namespace zentrip
