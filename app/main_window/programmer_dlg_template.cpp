#include "app/main_window/programmer_dlg_template.h"

namespace zentrip {

const std::array<ControlTemplate, 21> kProgrammerDlgTemplate{{
    {ids::kLabel, ControlKind::Label, "Working File", 7, 7, 47, 16},
    {ids::kWorkingFile, ControlKind::ReadOnlyField, "", 57, 7, 126, 16},
    {ids::kSelect, ControlKind::Button, "Select...", 189, 7, 53, 16},
    {ids::kProgramFromFile, ControlKind::Button, "Program from File", 248, 7, 60, 16},
    {ids::kDirectCheck, ControlKind::CheckBox,
     "Check to directly program via RS232 (Only on Orvane 7330, etc)", 328, 7, 134, 19},
    {ids::kLabel, ControlKind::Label, "Program Source Data", 187, 31, 56, 11},
    {ids::kSourceEditor, ControlKind::TextPane, "", 7, 45, 419, 116},
    {ids::kComPort, ControlKind::Button, "COM PORT", 433, 46, 50, 28},
    {ids::kModemString, ControlKind::Button, "   Modem\r Initialization\r    String", 433, 89, 50,
     28},
    {ids::kExit, ControlKind::Button, "Exit", 433, 131, 50, 28},
    {ids::kClearWindow, ControlKind::Button, "Clear Window", 7, 166, 91, 13},
    {ids::kProgramSelected, ControlKind::Button, "Program Selected", 113, 166, 91, 13},
    {ids::kProgramAllInWindow, ControlKind::Button, "Program All in Window", 221, 166, 91, 13},
    {ids::kMiniTerminal, ControlKind::Button, "Start Mini Terminal", 334, 166, 91, 13},
    {ids::kLabel, ControlKind::Label, "Programming Status and Results", 163, 185, 110, 11},
    {ids::kResults, ControlKind::TextPane, "", 7, 201, 419, 115},
    {ids::kStop, ControlKind::Button, "Stop Programming", 433, 204, 50, 38},
    {ids::kLabel, ControlKind::Label, "Line Number", 434, 247, 47, 11},
    {ids::kLineNumber, ControlKind::ReadOnlyField, "", 434, 260, 49, 17},
    {ids::kLabel, ControlKind::Label, "Total Errors", 434, 282, 43, 10},
    {ids::kTotalErrors, ControlKind::ReadOnlyField, "", 434, 295, 49, 17},
}};

}  // namespace zentrip
