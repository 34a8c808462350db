// Texts the programming run and the main window both show: the window refuses a run, and
// gives the Stop button its caption, on its own before the run is asked.
#pragma once

namespace zentrip {

inline constexpr const char* kAlreadyProgramming =
    "In the process of programming a controller already.";
// The Stop button's caption while no run is in progress.
inline constexpr const char* kHideStatusCaption = "Hide Status Display";

}  // namespace zentrip
