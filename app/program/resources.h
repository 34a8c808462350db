// The program's artwork, compiled into the program from resources/*.svg at build time.
#pragma once

#include <QIcon>
#include <array>

namespace zentrip {

// The program icon, square, at each size it is drawn for; kIconResource is the largest.
inline constexpr std::array<int, 7> kIconSizes{16, 24, 32, 48, 64, 128, 256};
inline constexpr char kIconResource[] = ":/zentrip/icon-256.png";
// The main window's background, 800 x 600; the window shows its top-left part.
inline constexpr char kBackgroundResource[] = ":/zentrip/background.png";

// The program icon with every rendered size, so each place picks a crisp one.
QIcon ProgramIcon();

}  // namespace zentrip
