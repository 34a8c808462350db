// Dialog units: the windows are laid out in the units of their dialog templates, which scale
// with the dialog font. A horizontal unit is a quarter of the font's average character width,
// a vertical unit an eighth of its height; each edge is converted on its own, so adjacent
// controls stay adjacent after rounding. Qt-free, so the rule has plain tests.
#pragma once

namespace zentrip {

struct DialogBaseUnits {
    int x = 0;  // average character width in pixels
    int y = 0;  // character height in pixels
};

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Base units of a font whose 52 letters A-Z and a-z together are alphabetWidth pixels wide
// and whose lines are height pixels high (the average width rounded to the nearest pixel).
DialogBaseUnits BaseUnitsOfFont(int alphabetWidth, int height);

// A rectangle of the template (x, y, width, height in dialog units) in pixels.
PixelRect MapDialogRect(int x, int y, int width, int height, DialogBaseUnits units);

}  // namespace zentrip
