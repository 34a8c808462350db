#include "app/common/dialog_units.h"

namespace zentrip {

namespace {

// a * b / c, rounded to the nearest integer (halves away from zero), as the platform's MulDiv.
int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

DialogBaseUnits BaseUnitsOfFont(int alphabetWidth, int height) {
    return DialogBaseUnits{(alphabetWidth / 26 + 1) / 2, height};
}

PixelRect MapDialogRect(int x, int y, int width, int height, DialogBaseUnits units) {
    const int left = MulDiv(x, units.x, 4);
    const int top = MulDiv(y, units.y, 8);
    const int right = MulDiv(x + width, units.x, 4);
    const int bottom = MulDiv(y + height, units.y, 8);
    return PixelRect{left, top, right - left, bottom - top};
}

}  // namespace zentrip
