// CProgrammerDlg and its worker: jobs go to the worker with a snapshot of the window's
// state, and the worker's window operations are carried out here, on the window thread.
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <utility>

#include "app/common/qt_text.h"
#include "app/dialogs/file_dialogs.h"
#include "app/main_window/programmer_dlg.h"
#include "app/panes/text_pane.h"

namespace zentrip {

namespace {

QMessageBox::Icon BoxIcon(MessageBoxIcon icon) {
    switch (icon) {
        case MessageBoxIcon::Stop:
            return QMessageBox::Critical;
        case MessageBoxIcon::Information:
            return QMessageBox::Information;
        case MessageBoxIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void CProgrammerDlg::StartJob(SerialWork::JobKind kind, SerialWork::Job job,
                              std::function<void()> after, bool forClose) {
    if (m_state.Closing() && !forClose) return;
    SerialWork::Snapshot snapshot{EffectiveSettings(), m_directCheck->isChecked(), m_workingFile};
    m_work->Start(kind, std::move(snapshot), std::move(job),
                  [this, kind, after = std::move(after)] {
                      JobEnded(kind);
                      if (after) after();
                  });
}

void CProgrammerDlg::JobEnded(SerialWork::JobKind kind) {
    if (kind == SerialWork::JobKind::Run) {
        LockEditor(EditorLock::None);
        const auto kept = std::exchange(m_keptEditor, nullptr);
        // A run from the editor has put its text back, with the selection it programmed; one
        // whose job never began leaves the results pane's program as it was.
        std::size_t start = 0;
        m_editorModel.GetSelection(&start, nullptr);
        if (!kept || *kept) m_resultsProgram = {kept != nullptr, kept ? *kept : nullptr, start};
        if (kept && *kept) m_editorModel.Reinstate(**kept);
    }
    if (m_work->Busy()) return;
    if (m_state.TakeWantedTerminal()) OpenMiniTerminal();
    ResumeCloseIfPortsFree();
}

void CProgrammerDlg::AnswerOpenDialogsNo() {
    // Closing a box answers it; its answer may open nothing new, as the list is taken first.
    std::vector<QPointer<QDialog>> open;
    open.swap(m_openDialogs);
    for (const QPointer<QDialog>& dialog : open) {
        if (dialog) dialog->done(QDialog::Rejected);
    }
}

void CProgrammerDlg::Track(QDialog* dialog) {
    std::erase_if(m_openDialogs, [](const QPointer<QDialog>& open) { return !open; });
    m_openDialogs.push_back(dialog);
}

void CProgrammerDlg::SetLineNumberText(const std::string& text) {
    m_lineNumber->setText(Latin1(text));
}

void CProgrammerDlg::SetTotalErrorsText(const std::string& text) {
    m_totalErrors->setText(Latin1(text));
}

void CProgrammerDlg::SetWorkingFileText(const std::string& path) {
    // Only file choices set this field, so it names the user's working file.
    m_workingFile = path;
    m_workingFileField->setText(PathText(path));
}

void CProgrammerDlg::OpenMessageBox(const std::string& text, MessageBoxButtons buttons,
                                    MessageBoxIcon icon, Answered answered) {
    OpenBox(Latin1Lines(text), buttons, icon, std::move(answered));
}

void CProgrammerDlg::OpenBox(const QString& text, MessageBoxButtons buttons, MessageBoxIcon icon,
                             Answered answered) {
    // On the way out nothing new opens; a question then is answered No.
    if (m_state.Closing()) {
        if (answered) answered(MessageBoxAnswer::No);
        return;
    }
    auto* box = new QMessageBox(
        BoxIcon(icon), "Zentrip", text,
        buttons == MessageBoxButtons::Ok ? QMessageBox::Ok : QMessageBox::Yes | QMessageBox::No,
        this);
    box->setTextFormat(Qt::PlainText);
    if (buttons == MessageBoxButtons::YesNoDefaultNo) box->setDefaultButton(QMessageBox::No);
    if (answered) {
        connect(box, &QDialog::finished, box, [box, answered = std::move(answered)] {
            answered(box->clickedButton() == box->button(QMessageBox::Yes) ? MessageBoxAnswer::Yes
                                                                           : MessageBoxAnswer::No);
        });
    }
    OpenDialog(box);
}

void CProgrammerDlg::OpenFileChoice(const std::string& filter, Chosen chosen) {
    if (m_state.Closing()) {
        chosen(std::nullopt);
        return;
    }
    Track(OpenProgramFileDialog(this, filter, std::move(chosen)));
}

void CProgrammerDlg::EnableProgramButton(bool enable) { m_programButton->setEnabled(enable); }

void CProgrammerDlg::ShowStopButton(const std::string& caption) {
    SetStopButtonCaption(caption);
    m_stopButton->show();
}

void CProgrammerDlg::ShowStatusDisplay() { m_animator->Unfold(); }

void CProgrammerDlg::HideStatusDisplay() { m_animator->Fold(); }

void CProgrammerDlg::SetRunCursor(RunCursor cursor) {
    if (cursor == RunCursor::Wait)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void CProgrammerDlg::FocusEditor() { m_editor->setFocus(); }

}  // namespace zentrip
