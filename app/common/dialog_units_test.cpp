#include "app/common/dialog_units.h"

#include <gtest/gtest.h>

namespace zentrip {
namespace {

TEST(DialogUnits, BaseUnitsAreTheRoundedAverageLetterWidthAndTheHeight) {
    // 52 letters 312 pixels wide: 6 on average.
    EXPECT_EQ(BaseUnitsOfFont(312, 13).x, 6);
    EXPECT_EQ(BaseUnitsOfFont(312, 13).y, 13);
    EXPECT_EQ(BaseUnitsOfFont(338, 16).x, 7);  // 6.5 rounds up
    EXPECT_EQ(BaseUnitsOfFont(336, 16).x, 6);  // 6.46 rounds down
}

TEST(DialogUnits, EdgesAreConvertedSoNeighboursStayAdjacent) {
    const DialogBaseUnits units{6, 13};
    // The main window's editor at 7, 45 (419 x 116) and the button row 5 units below it.
    const PixelRect editor = MapDialogRect(7, 45, 419, 116, units);
    EXPECT_EQ(editor.x, 11);  // 10.5 rounds away from zero
    EXPECT_EQ(editor.y, 73);  // 73.125
    EXPECT_EQ(editor.width, 639 - 11);
    EXPECT_EQ(editor.height, 262 - 73);
    const PixelRect left = MapDialogRect(0, 0, 3, 3, units);
    const PixelRect right = MapDialogRect(3, 3, 3, 3, units);
    EXPECT_EQ(left.x + left.width, right.x);
    EXPECT_EQ(left.y + left.height, right.y);
}

}  // namespace
}  // namespace zentrip
