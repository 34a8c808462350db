// CProgrammerDlg's two ways out. "Exit" collapses the window, hangs the modem up and saves
// the settings; the window's Close command (and a termination signal) saves first, then
// collapses and hangs up. The user is asked before a run is stopped for it; a signal asks
// nothing. A run in progress is stopped first and its end sequence allowed to finish, so the
// port is never left open and no step waits on a window that waits.
#include <QCloseEvent>
#include <cstdio>

#include "app/main_window/programmer_dlg.h"

namespace zentrip {

namespace {

const std::vector<CProgrammerDlg::CloseStep> kSystemClose{
    CProgrammerDlg::CloseStep::Save, CProgrammerDlg::CloseStep::Collapse,
    CProgrammerDlg::CloseStep::HangUp, CProgrammerDlg::CloseStep::Finish};

}  // namespace

void CProgrammerDlg::CloseAsSystemCommand() {
    if (!m_state.Closing()) KeepTypedWorkForSignal();
    RequestClose(kSystemClose);
}

void CProgrammerDlg::closeEvent(QCloseEvent* event) {
    if (m_state.Closed()) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    AskToClose(kSystemClose);
}

void CProgrammerDlg::AskToClose(std::vector<CloseStep> steps) {
    if (m_state.Closing()) return;
    auto close = [this, steps = std::move(steps)] {
        KeepTypedWorkThen([this, steps] { RequestClose(steps); });
    };
    if (!m_work->RunInProgress()) {
        close();
        return;
    }
    OpenBox("A controller is being programmed. Stop programming and exit?",
            MessageBoxButtons::YesNoDefaultNo, MessageBoxIcon::None,
            [close = std::move(close)](MessageBoxAnswer answer) {
                if (answer == MessageBoxAnswer::Yes) close();
            });
}

void CProgrammerDlg::RequestClose(std::vector<CloseStep> steps) {
    if (!m_state.BeginClose(steps)) return;
    AnswerOpenDialogsNo();
    if (m_runRecords) m_runRecords->close();
    m_work->Abort();
    TakeCloseStep(m_state.FirstCloseStep(m_work->Busy()));
}

void CProgrammerDlg::ResumeCloseIfPortsFree() { TakeCloseStep(m_state.PortsFreed(m_work->Busy())); }

void CProgrammerDlg::NextCloseStep() { TakeCloseStep(m_state.NextCloseStep()); }

void CProgrammerDlg::TakeCloseStep(std::optional<CloseStep> step) {
    if (!step) return;
    switch (*step) {
        case CloseStep::Save: {
            // Only what changed here: a change made meanwhile with zentrip-cli stays.
            std::string error;
            std::string notice;
            if (!SaveSettingValues(ChangedValues(m_loadedSettings, m_settings), &error, &notice))
                std::fprintf(stderr, "zentrip: the settings were not saved: %s\n", error.c_str());
            if (!notice.empty()) std::fprintf(stderr, "zentrip: %s\n", notice.c_str());
            NextCloseStep();
            return;
        }
        case CloseStep::Collapse:
            connect(
                m_animator.get(), &FoldAnimator::Collapsed, this,
                [this] {
                    // On Linux the window manager keeps a title bar; nothing more to see.
                    hide();
                    NextCloseStep();
                },
                Qt::SingleShotConnection);
            m_animator->Collapse();
            return;
        case CloseStep::HangUp:
            StartJob(
                SerialWork::JobKind::Modem, [](CProgrammer& programmer) { programmer.HangUp(); },
                [this] { NextCloseStep(); }, true);
            return;
        case CloseStep::Finish:
            done(QDialog::Accepted);
            emit Closed();
            return;
    }
}

}  // namespace zentrip
