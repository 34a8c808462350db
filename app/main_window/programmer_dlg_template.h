// The main window's template: every control with its id, kind, text and place in dialog
// units (490 x 335). The window builds its widgets from this table; the ids name them
// ("id1004") so tests and accessibility tools find them.
#pragma once

#include <array>

namespace zentrip {

enum class ControlKind {
    Label,          // static text; presses on it reach the window
    ReadOnlyField,  // one-line read-only edit with a border
    Button,  // answers Return only while it has the focus: the window has no default button
    CheckBox,  // automatic, multi-line text
    TextPane   // multi-line edit with both scroll bars, wants Return
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text;  // CR breaks a line of a multi-line caption
    int x;
    int y;
    int width;
    int height;
};

namespace ids {
inline constexpr int kLabel = -1;
inline constexpr int kProgramFromFile = 1000;
inline constexpr int kSourceEditor = 1001;
inline constexpr int kSelect = 1002;
inline constexpr int kWorkingFile = 1003;
inline constexpr int kExit = 1004;
inline constexpr int kStop = 1005;
inline constexpr int kClearWindow = 1006;
inline constexpr int kProgramSelected = 1007;
inline constexpr int kProgramAllInWindow = 1008;
inline constexpr int kComPort = 1009;
inline constexpr int kModemString = 1010;
inline constexpr int kDirectCheck = 1011;
inline constexpr int kMiniTerminal = 1012;
inline constexpr int kResults = 1013;
inline constexpr int kLineNumber = 1016;
inline constexpr int kTotalErrors = 1017;
}  // namespace ids

inline constexpr int kTemplateWidth = 490;
inline constexpr int kTemplateHeight = 335;

extern const std::array<ControlTemplate, 21> kProgrammerDlgTemplate;

}  // namespace zentrip
