#include "app/file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "app/file_filter.h"
#include "app/qt_text.h"

namespace zentrip {

namespace {

// Accepts a typed name only in a folder that exists, as the program file choice asks.
class ProgramFileDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QStringList files = selectedFiles();
        if (!files.isEmpty() && !QFileInfo(files.first()).absoluteDir().exists()) {
            auto* box = new QMessageBox(
                QMessageBox::Warning, windowTitle(),
                QFileInfo(files.first()).absolutePath() + "\nThe folder does not exist.",
                QMessageBox::Ok, this);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->setWindowModality(Qt::WindowModal);
            box->open();
            return;
        }
        QFileDialog::accept();
    }
};

}  // namespace

QFileDialog* OpenFileDialog(QFileDialog* dialog, FileChosen chosen) {
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [dialog, chosen = std::move(chosen)](int result) {
                         const QStringList files = dialog->selectedFiles();
                         if (result == QDialog::Accepted && !files.isEmpty())
                             chosen(PathBytes(files.first()));
                         else
                             chosen(std::nullopt);
                     });
    dialog->open();
    return dialog;
}

QFileDialog* OpenProgramFileDialog(QWidget* parent, const std::string& filter, FileChosen chosen) {
    auto* dialog = new ProgramFileDialog(parent, "Open", QDir::currentPath(),
                                         QString::fromStdString(QtFileFilter(filter)));
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setOption(QFileDialog::ReadOnly);
    return OpenFileDialog(dialog, std::move(chosen));
}

QFileDialog* OpenSaveResultsDialog(QWidget* parent, FileChosen chosen) {
    auto* dialog = new QFileDialog(parent, "Save Results As", QDir::currentPath(),
                                   "Text Files (*.txt);;All Files (*)");
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix("txt");
    return OpenFileDialog(dialog, std::move(chosen));
}

}  // namespace zentrip
