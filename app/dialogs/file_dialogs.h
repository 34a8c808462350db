// The windows' file choices, window-modal and opened without a nested event loop: a file to
// open or receive into (the program file, the transfers' files), the file to save the results
// to, and any other prepared dialog. The answer comes back
// through a callback, exactly once, empty when the dialog was cancelled or closed.
#pragma once

#include <functional>
#include <optional>
#include <string>

class QFileDialog;
class QString;
class QWidget;

namespace zentrip {

using FileChosen = std::function<void(std::optional<std::string>)>;

// Opens `dialog` as Qt's own (the same everywhere, also offscreen); it deletes itself once
// answered.
QFileDialog* OpenFileDialog(QFileDialog* dialog, FileChosen chosen);

// A file to open, or to receive into: `filter` in the program's "description | pattern | ... ||"
// form with its first entry chosen, the initial name "*.*" (a name with wildcards shows what it
// matches), and the folder of a typed name must exist (the file need not).
QFileDialog* OpenFileChoiceDialog(QWidget* parent, const QString& title, const std::string& filter,
                                  FileChosen chosen);
// That choice as the main window's "Open".
QFileDialog* OpenProgramFileDialog(QWidget* parent, const std::string& filter, FileChosen chosen);
QFileDialog* OpenSaveResultsDialog(QWidget* parent, FileChosen chosen);

}  // namespace zentrip
