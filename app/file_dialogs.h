// The file choices of the main window, window-modal and opened without a nested event loop:
// the program file to open (the folder of a typed name must exist, the file need not) and
// the file to save the results to. The answer comes back through a callback, exactly once,
// empty when the dialog was cancelled or closed.
#pragma once

#include <functional>
#include <optional>
#include <string>

class QFileDialog;
class QWidget;

namespace zentrip {

using FileChosen = std::function<void(std::optional<std::string>)>;

// `filter` in the program's "description | pattern | ... ||" form.
QFileDialog* OpenProgramFileDialog(QWidget* parent, const std::string& filter, FileChosen chosen);
QFileDialog* OpenSaveResultsDialog(QWidget* parent, FileChosen chosen);

}  // namespace zentrip
