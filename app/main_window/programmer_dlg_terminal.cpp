// CProgrammerDlg and the Mini Terminal: opened only while no run is under way (a modem set-up
// or hang-up in progress is waited for, as the window's port must be closed first), with the
// window's serial settings; when it has closed its port, its port, rate and devices become
// the window's.
#include "app/main_window/programmer_dlg.h"
#include "app/mini_term/mini_term_dlg.h"

namespace zentrip {

void CProgrammerDlg::OnMiniTerminal() {
    if (m_closing || m_miniTerminalOpen) return;
    if (m_work->RunInProgress()) {
        OpenMessageBox("Mini Terminal mode unavailable during programming.", MessageBoxButtons::Ok,
                       MessageBoxIcon::None, nullptr);
        return;
    }
    if (m_work->Busy()) {
        m_miniTerminalWanted = true;
        return;
    }
    OpenMiniTerminal();
}

void CProgrammerDlg::OpenMiniTerminal() {
    if (m_closing) return;
    auto* terminal = new CMiniTermDlg(EffectiveSettings(), this);
    m_miniTerminalOpen = true;
    connect(terminal, &QDialog::finished, this, [this, terminal] {
        m_miniTerminalOpen = false;
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

bool CProgrammerDlg::PortsInUse() const { return m_work->Busy() || m_miniTerminalOpen; }

}  // namespace zentrip
