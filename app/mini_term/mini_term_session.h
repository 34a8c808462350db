// MiniTermSession: the Mini Terminal's serial work, without widgets. It owns the port, its
// reader, the closer, the pause before a reopen, the watch for a lost device and the log, and
// tells the window what to show by signals: the title, each received chunk, the log's end.
//
// The port is owned by one party at a time: this object while the terminal runs, the closer
// thread while it closes (a close may wait), the transfer's worker during a transfer. The
// reader thread's wake-ups carry no data and are tagged with the port's open generation, so
// the session never reads a port it has handed over. A device that vanishes is reported in
// the title and reopened by itself when the same device is back (LostDeviceWatch).
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/common/thread_wake.h"
#include "app/mini_term/port_closer.h"
#include "link/comm_settings.h"
#include "link/serial_port.h"
#include "terminal/lost_device_watch.h"
#include "terminal/term_views.h"
#include "terminal/terminal_log.h"
#include "terminal/transfer_texts.h"
#include "terminal/wake_mailbox.h"

namespace zentrip {

class MiniTermSession : public QObject {
    Q_OBJECT

public:
    static constexpr int kReopenPauseMs = 200;

    // Milliseconds since 1970 UTC, and whether the log's lines start with their times: asked
    // of the window as each chunk arrives.
    using ClockFn = std::function<std::int64_t()>;
    using LogTimesFn = std::function<bool()>;

    MiniTermSession(const CommSettings& settings, ClockFn clock, LogTimesFn logTimes,
                    QObject* parent = nullptr);
    ~MiniTermSession() override;

    const CommSettings& Settings() const { return m_settings; }
    // The port, rate and devices chosen in the settings dialog; the port reopens with them.
    void ChangeSettings(const CommSettings& chosen);

    // Close, a pause that the device may need, open again with the reader. watchFailure: a
    // failed open is watched like a lost device (after a transfer), for this reason when not
    // empty (the transfer's loss), else the open's.
    void Reopen(std::optional<std::string> watchFailure = std::nullopt);
    // One typed byte to the line; false when it did not go out.
    bool SendByte(char byte);

    // Every way out: no more reopening, Exiting() lets what is open over the terminal be
    // answered, and once no transfer holds the port it is closed; then Ended().
    void Exit();
    bool IsExiting() const { return m_exiting; }

    // A transfer is to be chosen: false when one runs or the terminal is ending. The port
    // rests meanwhile (an XMODEM transmit's is closed).
    bool PrepareTransfer(TransferMode mode);
    // The file is chosen: once the port is closed, `show` gets it for the transfer, which
    // holds it until TransferEnded().
    void BeginTransfer(std::function<void(CSerialPort& port)> show);
    void TransferEnded();

    // false with the system's reason when the log cannot start.
    bool StartLog(const std::string& path, std::string* error);
    void StopLog();

signals:
    void TitleChanged(const std::string& title);
    // A chunk from the line, arrived at nowMs.
    void Received(std::string_view bytes, std::int64_t nowMs);
    // The log could not go on (the title says why).
    void LoggingStopped();
    void Exiting();
    void Ended();

private:
    enum class PortHolder { kSession, kCloser, kTransfer };

    void ApplySettings();
    void OpenAfterPause();
    void FinishExit();
    bool OpenWithReader();
    void HandOver(std::function<void()> then);
    void OnDataReceived();
    void OnDeviceLost();
    void WatchLostDevice(const std::string& reason);
    void LookForLostDevice();
    void LogReceived(std::string_view bytes, std::int64_t nowMs);
    void SetTitle(std::string title);
    void UpdateTitle();

    CommSettings m_settings;
    const ClockFn m_clock;
    const LogTimesFn m_logTimes;
    // The reader calls into these until the port has closed: keep them declared before the port.
    WakeMailbox m_wake;
    ThreadWake m_dataWake{this, [this] { OnDataReceived(); }};
    CSerialPort m_port;
    PortCloser m_closer;  // joined before the port goes
    PortHolder m_holder = PortHolder::kSession;
    unsigned m_handOvers = 0;
    bool m_readerOpen = false;  // the port is open with its reader
    bool m_exiting = false;
    LostDeviceWatch m_watch;
    std::optional<std::string> m_watchFailedReopen;  // as Reopen's argument, until the open
    CTerminalLog m_log;
    CLogTimes m_logStamps;  // follows the lines also while the log is off
    std::string m_title;
    std::string m_logNote;
    QTimer m_reopenTimer;
    QTimer m_lostTimer;
};

}  // namespace zentrip
