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
    if (!m_closing) KeepTypedWorkForSignal();
    RequestClose(kSystemClose);
}

void CProgrammerDlg::closeEvent(QCloseEvent* event) {
    if (m_closed) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    AskToClose(kSystemClose);
}

void CProgrammerDlg::AskToClose(std::vector<CloseStep> steps) {
    if (m_closing) return;
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
    if (m_closing) return;
    m_closing = true;
    m_closeSteps.assign(steps.begin(), steps.end());
    AnswerOpenDialogsNo();
    if (m_runRecords) m_runRecords->close();
    m_work->Abort();
    if (PortsInUse()) {
        m_waitingForWorker = true;
        return;
    }
    NextCloseStep();
}

void CProgrammerDlg::ResumeCloseIfPortsFree() {
    if (!m_waitingForWorker || PortsInUse()) return;
    m_waitingForWorker = false;
    NextCloseStep();
}

void CProgrammerDlg::NextCloseStep() {
    if (m_closeSteps.empty()) return;
    const CloseStep step = m_closeSteps.front();
    m_closeSteps.pop_front();
    switch (step) {
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
            m_closed = true;
            done(QDialog::Accepted);
            emit Closed();
            return;
    }
}

}  // namespace zentrip
