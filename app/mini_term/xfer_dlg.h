// CXferDlg: one file transfer started from the Mini Terminal, run by a worker thread on the
// terminal's port while the dialog shows the engine's progress. When the worker is done the
// dialog adds the closing line (success or error) and its button turns from "Cancel Transfer"
// into "CLOSE". Every way of closing it (the button, Enter, the window manager's close) goes
// through the cancel path: set the engine's cancel flag, wait for the worker without blocking
// the window, then close without a word. Escape does nothing.
//
// Threads: the worker runs the engine and only posts wake-ups (queued calls without data);
// the dialog reads the engine's counters (atomics) and, after joining the worker, its result.
#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "link/serial_port.h"
#include "platform/clock.h"
#include "terminal/wake_mailbox.h"
#include "terminal/xmodem.h"

class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace zentrip {

class CXferDlg : public QDialog {
    Q_OBJECT

public:
    // mode: 1 XMODEM transmit, 2 XMODEM receive, 3 (or any other) raw text. The port must be
    // closed and left alone until the dialog has finished; the engine reopens it itself.
    CXferDlg(int mode, CSerialPort* port, int comPort, std::uint32_t rate, const std::string& path,
             QWidget* parent = nullptr, Clock& clock = DefaultClock());
    ~CXferDlg() override;  // waits for a worker still running (only if it was never closed)

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void OnProgress();
    void OnWorkerDone();

private:
    void StartWorker();
    void Refresh();
    void ShowStatus();

    const int m_mode;
    CSerialPort* const m_port;
    const std::string m_path;
    std::unique_ptr<CXmodem> m_engine;
    WakeMailbox m_progress;
    std::thread m_worker;
    int m_result = kXmodemUnknownError;  // written by the worker, read after joining it
    bool m_started = false;
    bool m_finished = false;        // the closing line is shown; refreshes stop
    bool m_closeRequested = false;  // cancelled: close as soon as the worker is done
    std::string m_status;           // the status text, CR LF line ends

    QPlainTextEdit* m_statusEdit;
    QProgressBar* m_bar;
    QPushButton* m_button;
};

}  // namespace zentrip
