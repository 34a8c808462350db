#include "app/common/window_fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

namespace zentrip {

namespace {

constexpr int kFixedCellHeight = 14;

QString FirstFamily(const QStringList& families) {
    const QStringList present = QFontDatabase::families();
    for (const QString& family : families) {
        if (present.contains(family, Qt::CaseInsensitive)) return family;
    }
    return families.last();
}

}  // namespace

QFont DialogFont() {
    QFont font(FirstFamily({"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans"}));
    font.setPointSize(8);
    return font;
}

QFont FixedPitchFont() {
    QFont font(FirstFamily({"Courier New", "Liberation Mono"}));
    font.setFixedPitch(true);
    font.setStyleHint(QFont::TypeWriter);
    font.setWeight(QFont::Normal);
    // A height of 14 names the whole character cell; Qt's pixel size names the em, so take
    // the largest em whose line still fits the cell.
    for (int pixels = kFixedCellHeight; pixels > 1; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).height() <= kFixedCellHeight) break;
    }
    return font;
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabet =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return BaseUnitsOfFont(alphabet, metrics.height());
}

QRect DialogRect(int x, int y, int width, int height, const QFont& font) {
    const PixelRect r = MapDialogRect(x, y, width, height, BaseUnitsOf(font));
    return QRect(r.x, r.y, r.width, r.height);
}

}  // namespace zentrip
