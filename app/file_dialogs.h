// The windows' file choices, window-modal and opened without a nested event loop: the main
// window's program file to open (the folder of a typed name must exist, the file need not)
// and file to save the results to, and any other prepared dialog. The answer comes back
// through a callback, exactly once, empty when the dialog was cancelled or closed.
#pragma once

#include <functional>
#include <optional>
#include <string>

class QFileDialog;
class QWidget;

namespace zentrip {

using FileChosen = std::function<void(std::optional<std::string>)>;

// Opens `dialog` as Qt's own (the same everywhere, also offscreen); it deletes itself once
// answered.
QFileDialog* OpenFileDialog(QFileDialog* dialog, FileChosen chosen);

// `filter` in the program's "description | pattern | ... ||" form.
QFileDialog* OpenProgramFileDialog(QWidget* parent, const std::string& filter, FileChosen chosen);
QFileDialog* OpenSaveResultsDialog(QWidget* parent, FileChosen chosen);

}  // namespace zentrip
