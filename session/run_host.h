// RunHost: every window operation the programming run, programming from the editor, the
// modem operations and the remote session use. The Qt window, the command line and the tests
// each implement it; the logic needs nothing else of a window. The window's chrome (the
// working file field, the buttons, the fold, the cursor, the focus) does nothing unless a host
// overrides it: a console has no use for it.
//
// The window's chrome (its fields, buttons, fold, cursor and focus) does nothing by default: a
// host without a window overrides only what it shows.
//
// Threads: the logic calls these from the one thread that does serial work. A window running
// that work on a worker thread marshals each call to its window thread, blocking only where
// an answer comes back (MessageBox, ChooseProgramFile).
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "link/link_host.h"
#include "script/source_place.h"
#include "text/text_sink.h"

namespace zentrip {

// YesNoDefaultNo: Return answers No, for a question whose Yes ends a run or sends what the user
// may not mean.
enum class MessageBoxButtons { Ok, YesNo, YesNoDefaultNo };
enum class MessageBoxIcon { None, Information, Stop };
enum class MessageBoxAnswer { Ok, Yes, No };
enum class RunCursor { Wait, Arrow };

class RunHost : public LinkHost {
public:
    // SourceEditor() and PumpMessages() come from LinkHost.

    // The "Programming Status and Results" pane.
    virtual TextSink& ResultsPane() = 0;
    // A file's path as the panes show it; a window whose panes hold 8-bit text converts the
    // file system's UTF-8 names.
    virtual std::string PaneText(const std::string& path) const { return path; }
    // The "Line Number" and "Total Errors" fields; the texts come formatted ("%05d").
    virtual void SetLineNumberText(std::string_view text) = 0;
    virtual void SetTotalErrorsText(std::string_view text) = 0;
    // The "Working File" field (only the file choice updates it).
    virtual void SetWorkingFileText(std::string_view /*text*/) {}

    virtual MessageBoxAnswer MessageBox(std::string_view text, MessageBoxButtons buttons,
                                        MessageBoxIcon icon) = 0;
    // The open-file dialog: initial name, filter in "description|pattern|..." form. The
    // folder of the chosen path exists; the file itself need not. Empty when cancelled.
    virtual std::optional<std::string> ChooseProgramFile(std::string_view initialName,
                                                         std::string_view filter) = 0;

    // The RS232 check box.
    virtual bool DirectModeChecked() = 0;
    // The "Program from File" button.
    virtual void EnableProgramButton(bool /*enable*/) {}
    // Shows the Stop button (it stays visible from then on) and sets its caption.
    virtual void ShowStopButton(std::string_view /*caption*/) {}
    virtual void SetStopButtonCaption(std::string_view /*caption*/) {}

    // Unfolding and folding the status area. After the unfold the run waits, a bounded number
    // of times, until the window's height is nearly FullHeight(); a host without animation
    // is at its full height at once.
    virtual void ShowStatusDisplay() {}
    virtual void HideStatusDisplay() {}
    virtual int WindowHeight() { return FullHeight(); }
    virtual int FullHeight() { return 0; }
    // One wait of the run for the unfold to reach `height`: by default the message pump.
    virtual void AwaitHeight(int /*height*/) { PumpMessages(); }

    // A line the results pane has just called failed ("Error in Line %d", "Fatal Error in
    // Line %d"): where it was read and why, "controller refused this line" or the
    // preprocessor's error text. A window needs nothing here: it can look the place up.
    virtual void LineFailedAt(const SourcePlace& /*place*/, std::string_view /*why*/) {}

    virtual void SetCursor(RunCursor /*cursor*/) {}
    // Gives the source editor the keyboard focus.
    virtual void FocusEditor() {}
    // A line for the program's diagnostics (why a run is not recorded): stderr.
    virtual void Diagnostic(std::string_view line) {
        std::fprintf(stderr, "zentrip: %.*s\n", static_cast<int>(line.size()), line.data());
    }
};

}  // namespace zentrip
