// CProgrammerDlg and the Mini Terminal: opened only while no run is under way (a modem set-up
// or hang-up in progress is waited for, as the window's port must be closed first), with the
// window's serial settings; when it has closed its port, its port, rate and devices become
// the window's.
#include "app/main_window/programmer_dlg.h"
#include "app/mini_term/mini_term_dlg.h"

namespace zentrip {

void CProgrammerDlg::OnMiniTerminal() {
    switch (m_state.AskForTerminal(m_work->RunInProgress(), m_work->Busy())) {
        case WindowState::TerminalAnswer::Refuse:
            OpenMessageBox("Mini Terminal mode unavailable during programming.",
                           MessageBoxButtons::Ok, MessageBoxIcon::None, nullptr);
            return;
        case WindowState::TerminalAnswer::Open:
            OpenMiniTerminal();
            return;
        case WindowState::TerminalAnswer::Nothing:
        case WindowState::TerminalAnswer::OpenAfterWork:
            return;
    }
}

void CProgrammerDlg::OpenMiniTerminal() {
    if (!m_state.OpenTerminal()) return;
    auto* terminal = new CMiniTermDlg(EffectiveSettings(), this);
    connect(terminal, &QDialog::finished, this, [this, terminal] {
        m_state.TerminalClosed();
        CommSettings back = terminal->Settings();
        // With --simulate the simulator's device stood in for the configured port's; the
        // window keeps the stored device there.
        for (std::size_t i = 0; i < back.devicePaths.size(); ++i) {
            if (!m_services.simulatedDevice.empty() &&
                back.devicePaths[i] == m_services.simulatedDevice) {
                back.devicePaths[i] = m_settings.devicePaths[i];
            }
        }
        TakeSerialSettings(back);
        ResumeCloseIfPortsFree();
    });
    OpenDialog(terminal);
}

}  // namespace zentrip
