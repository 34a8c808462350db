// RunWindow: the window operations of a run that only the window thread may carry out,
// with copies of their arguments. WindowRunHost calls them through the window queue; the
// main window implements them on its widgets.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "session/run_host.h"

namespace zentrip {

class RunWindow {
public:
    using Answered = std::function<void(MessageBoxAnswer)>;
    using Chosen = std::function<void(std::optional<std::string>)>;

    virtual ~RunWindow() = default;

    virtual void SetLineNumberText(const std::string& text) = 0;
    virtual void SetTotalErrorsText(const std::string& text) = 0;
    virtual void SetWorkingFileText(const std::string& text) = 0;
    // Opens a window-modal box. `answered`, when given, is called exactly once with the
    // button pressed; a close of the window or Stop meanwhile answers No.
    virtual void OpenMessageBox(const std::string& text, MessageBoxButtons buttons,
                                MessageBoxIcon icon, Answered answered) = 0;
    // The open-file dialog; `chosen` is called exactly once, empty when cancelled (also by a
    // close of the window).
    virtual void OpenFileChoice(const std::string& filter, Chosen chosen) = 0;
    virtual void EnableProgramButton(bool enable) = 0;
    virtual void ShowStopButton(const std::string& caption) = 0;
    virtual void SetStopButtonCaption(const std::string& caption) = 0;
    virtual void ShowStatusDisplay() = 0;
    virtual void HideStatusDisplay() = 0;
    virtual void SetRunCursor(RunCursor cursor) = 0;
    virtual void FocusEditor() = 0;
};

}  // namespace zentrip
