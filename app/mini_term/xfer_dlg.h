// CXferDlg: one file transfer started from the Mini Terminal, run by a TransferJob on the
// terminal's port while the dialog shows the engine's progress. When the worker is done the
// dialog adds the closing line (success or error) and its button turns from "Cancel Transfer"
// into "CLOSE". Every way of closing it (the button, Enter, the window manager's close) goes
// through the cancel path: cancel the job, wait for its worker without blocking the window,
// then close without a word. Escape does nothing.
//
// Threads: the job's worker only posts wake-ups (queued calls without data); the dialog reads
// the engine's counters (atomics) and, once the job has ended, its result.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

#include "app/common/thread_wake.h"
#include "link/serial_port.h"
#include "platform/clock.h"
#include "terminal/transfer_job.h"
#include "terminal/wake_mailbox.h"

class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace zentrip {

class CXferDlg : public QDialog {
    Q_OBJECT

public:
    // The port must be closed and left alone until the dialog has finished; the engine reopens
    // it itself.
    CXferDlg(TransferMode mode, CSerialPort* port, int comPort, std::uint32_t rate,
             const std::string& path, QWidget* parent = nullptr, Clock& clock = DefaultClock());
    ~CXferDlg() override;  // waits for a worker still running (only if it was never closed)

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnProgress();
    void OnJobEnded();
    void Refresh();
    void ShowStatus();

    CSerialPort* const m_port;
    TransferJob m_job;
    WakeMailbox m_progress;
    ThreadWake m_progressWake{this, [this] { OnProgress(); }};
    ThreadWake m_endWake{this, [this] { OnJobEnded(); }};
    bool m_finished = false;  // the closing line is shown; refreshes stop
    std::string m_status;     // the status text, CR LF line ends

    QPlainTextEdit* m_statusEdit;
    QProgressBar* m_bar;
    QPushButton* m_button;
};

}  // namespace zentrip
