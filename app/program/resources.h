// The program's artwork, compiled into the program from resources/*.svg at build time.
#pragma once

#include <QIcon>
#include <array>

namespace zentrip {

// The program icon, square, at each size app/CMakeLists.txt renders it; kIconResource is the
// largest.
inline constexpr std::array kIconSizes{ZENTRIP_ICON_SIZES};
inline constexpr char kIconResource[] = ":/zentrip/icon-256.png";
// The main window's background, 800 x 600; the window shows its top-left part.
inline constexpr char kBackgroundResource[] = ":/zentrip/background.png";

// The program icon with every rendered size, so each place picks a crisp one.
QIcon ProgramIcon();

}  // namespace zentrip
