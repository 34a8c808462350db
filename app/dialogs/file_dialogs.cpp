#include "app/dialogs/file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QRegularExpression>

#include "app/common/qt_text.h"
#include "app/dialogs/file_filter.h"

namespace zentrip {

namespace {

// Accepts a typed name only in a folder that exists, as the program's file choices ask. A name
// with wildcards (the initial "*.*" among them) shows the files it matches instead of being
// taken, as the old dialogs did.
class FileChoiceDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QStringList files = selectedFiles();
        if (files.isEmpty()) return QFileDialog::accept();
        const QFileInfo chosen(files.first());
        if (chosen.fileName().contains(QRegularExpression("[*?]"))) return ShowMatching(chosen);
        if (!chosen.absoluteDir().exists()) return Refuse(chosen.absolutePath());
        QFileDialog::accept();
    }

private:
    void ShowMatching(const QFileInfo& pattern) {
        setDirectory(pattern.absolutePath());
        // "*.*" means every file, also one without a dot, as in the filter.
        const QString name = pattern.fileName() == "*.*" ? "*" : pattern.fileName();
        if (auto* model = findChild<QFileSystemModel*>()) model->setNameFilters({name});
    }

    void Refuse(const QString& folder) {
        auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                    folder + "\nThe folder does not exist.", QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::WindowModal);
        box->open();
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

QFileDialog* OpenFileChoiceDialog(QWidget* parent, const QString& title, const std::string& filter,
                                  FileChosen chosen) {
    auto* dialog = new FileChoiceDialog(parent, title, QDir::currentPath(),
                                        QString::fromStdString(QtFileFilter(filter)));
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setOption(QFileDialog::ReadOnly);
    dialog->selectFile("*.*");
    return OpenFileDialog(dialog, std::move(chosen));
}

QFileDialog* OpenProgramFileDialog(QWidget* parent, const std::string& filter, FileChosen chosen) {
    return OpenFileChoiceDialog(parent, "Open", filter, std::move(chosen));
}

QFileDialog* OpenSaveResultsDialog(QWidget* parent, FileChosen chosen) {
    auto* dialog = new QFileDialog(parent, "Save Results As", QDir::currentPath(),
                                   "Text Files (*.txt);;All Files (*)");
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix("txt");
    return OpenFileDialog(dialog, std::move(chosen));
}

}  // namespace zentrip
