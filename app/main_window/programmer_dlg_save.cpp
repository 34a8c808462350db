// CProgrammerDlg and the user's typed work: "Save Program" (Ctrl+S) and "Save Program As..."
// (Ctrl+Shift+S), the question before anything replaces or discards what was typed since the
// last load or save, and the recovery file a termination signal leaves.
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

#include "app/common/qt_text.h"
#include "app/dialogs/file_dialogs.h"
#include "app/dialogs/file_filter.h"
#include "app/main_window/programmer_dlg.h"
#include "app/worker/program_file.h"
#include "platform/file_write.h"
#include "platform/system_error.h"

namespace zentrip {

void CProgrammerDlg::OnSaveProgram(std::function<void()> then) {
    if (!m_editorFile.empty() && m_editorFile == m_workingFile) {
        if (SaveProgramTo(m_editorFile) && then) then();
        return;
    }
    OnSaveProgramAs(std::move(then));
}

void CProgrammerDlg::OnSaveProgramAs(std::function<void()> then) {
    if (m_state.Closing()) return;
    auto* dialog = new QFileDialog(this, "Save Program As", QDir::currentPath(),
                                   QString::fromStdString(QtFileFilter(kProgramFileFilter)));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    Track(OpenFileDialog(dialog, [this, then = std::move(then)](std::optional<std::string> path) {
        if (!path || !SaveProgramTo(*path)) return;
        SetWorkingFileText(*path);
        m_editorFile = *path;
        if (then) then();
    }));
}

bool CProgrammerDlg::SaveProgramTo(const std::string& path) {
    const std::string text = m_editorModel.ProgramText(0, TextModel::kWholeText);
    if (const int err = WriteWholeFile(path, ProgramFileBytes(text, FileUsesCrLf(path)))) {
        OpenBox(
            "Couldn't save the program to " + PathText(path) + ".\n" + Latin1(SystemErrorText(err)),
            MessageBoxButtons::Ok, MessageBoxIcon::Stop, nullptr);
        return false;
    }
    m_editorModel.MarkSaved();
    return true;
}

void CProgrammerDlg::KeepTypedWorkThen(std::function<void()> then) {
    if (!m_editorModel.Typed()) {
        then();
        return;
    }
    auto* box = new QMessageBox(
        QMessageBox::Question, "Zentrip", "Save changes to the program in the editor?",
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box->setDefaultButton(QMessageBox::Cancel);
    connect(box, &QDialog::finished, this, [this, box, then = std::move(then)] {
        const QMessageBox::StandardButton answer = box->standardButton(box->clickedButton());
        if (answer == QMessageBox::Save) OnSaveProgram(then);
        if (answer == QMessageBox::Discard) then();
    });
    OpenDialog(box);
}

void CProgrammerDlg::KeepTypedWorkForSignal() {
    if (!m_editorModel.Typed()) return;
    std::string error;
    const std::string path = WriteRecoveryFile(
        ProgramFileBytes(m_editorModel.ProgramText(0, TextModel::kWholeText), false), &error);
    if (path.empty())
        std::fprintf(stderr, "zentrip: the unsaved program text was lost: %s\n", error.c_str());
    else
        std::fprintf(stderr, "zentrip: the unsaved program text is in %s\n", path.c_str());
}

}  // namespace zentrip
