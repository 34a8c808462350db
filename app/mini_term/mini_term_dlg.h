// CMiniTermDlg: the Mini Terminal. A plain serial terminal on the configured port: what the
// line sends is shown by the terminal's display rules, what the user types is sent byte by
// byte (Escape too: it never closes the window) and echoed when asked. From here the user
// changes the port settings and starts XMODEM and text transfers (CXferDlg).
//
// The port is owned by one party at a time: the window thread while the terminal runs, the
// closer thread while it closes (a close may wait), the transfer's worker during a transfer.
// The reader thread's wake-ups carry no data and are tagged with the port's open generation,
// so the window never reads a port it has handed over. A device that vanishes is reported in
// the title and reopened by itself when the same device is back (LostDeviceWatch).
#pragma once

#include <QDialog>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/mini_term/port_closer.h"
#include "link/comm_settings.h"
#include "link/serial_port.h"
#include "terminal/lost_device_watch.h"
#include "terminal/term_views.h"
#include "terminal/terminal_log.h"
#include "terminal/wake_mailbox.h"

class QCheckBox;
class QPushButton;

namespace zentrip {

class CTermEdit;

class CMiniTermDlg : public QDialog {
    Q_OBJECT

public:
    explicit CMiniTermDlg(const CommSettings& settings, QWidget* parent = nullptr);
    ~CMiniTermDlg() override;

    // The settings as the terminal leaves them: port, rate and device paths.
    CommSettings Settings() const { return m_settings; }

    // Every way out (Exit, the window manager, an owner answering its dialogs): dialogs open
    // over the terminal are answered, a transfer is cancelled, the port is closed (on the
    // closer thread), and only then does the dialog end.
    void done(int result) override;

    static constexpr int kReopenPauseMs = 200;
    static constexpr int kFocusPeriodMs = 2000;
    static constexpr int kViewBatchMs = 20;  // received text reaches the view at most this late

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The pane takes what the window grows by; the controls below it stay under its middle.
    void resizeEvent(QResizeEvent* event) override;

private slots:
    void OnDataReceived();

private:
    enum class PortHolder { kWindow, kCloser, kTransfer };

    QPushButton* AddButton(int id, const char* text, int x, int width);
    void ApplySettings();
    // watchFailure: a failed open is watched like a lost device (after a transfer), for this
    // reason when not empty (the transfer's loss), else the open's.
    void Reopen(std::optional<std::string> watchFailure = std::nullopt);
    void OpenAfterPause();
    void FinishExit();
    bool OpenWithReader();
    void HandOver(std::function<void()> then);
    void OnDeviceLost();
    void WatchLostDevice(const std::string& reason);
    void LookForLostDevice();
    bool SendByte(char byte);
    void ChangeSettings();
    void StartTransfer(int mode);
    void RunTransfer(int mode, const std::string& path);
    void ChooseLogFile();
    void StopLogging();
    void LogReceived(std::string_view bytes, std::int64_t nowMs);
    void SetTitle(std::string title);
    void UpdateTitle();

    CommSettings m_settings;
    // The reader calls into m_wake until the port has closed: keep it declared before the port.
    WakeMailbox m_wake;
    CSerialPort m_port;
    PortCloser m_closer;  // joined before the port goes
    PortHolder m_holder = PortHolder::kWindow;
    unsigned m_handOvers = 0;
    bool m_readerOpen = false;  // the window's port is open with its reader
    bool m_exiting = false;
    int m_exitResult = QDialog::Rejected;
    bool m_forwardingKey = false;
    LostDeviceWatch m_watch;
    std::optional<std::string> m_watchFailedReopen;  // as Reopen's argument, until the open
    CTerminalLog m_log;
    CLogTimes m_logTimes;  // follows the lines also while the log is off
    std::string m_title;
    std::string m_logNote;

    CTermEdit* m_term;
    QRect m_termPlace;  // at the template's size
    std::vector<std::pair<QWidget*, QPoint>> m_rowPlaces;
    QCheckBox* m_echoBox;
    QTimer m_focusTimer;
    QTimer m_reopenTimer;
    QTimer m_viewTimer;
    QTimer m_lostTimer;
};

}  // namespace zentrip
