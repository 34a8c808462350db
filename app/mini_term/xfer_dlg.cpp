#include "app/mini_term/xfer_dlg.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <climits>

#include "app/common/dialog_layout.h"
#include "terminal/transfer_texts.h"

namespace zentrip {

namespace {

// A range a progress bar can hold: both values scaled down alike when the total is too big.
// Without a total (not known yet, or an empty file) the bar stays empty: an empty range would
// make it a busy indicator.
void SetBar(QProgressBar* bar, std::int64_t total, std::int64_t done) {
    if (total <= 0) {
        bar->setRange(0, 100);
        bar->setValue(0);
        return;
    }
    int shift = 0;
    while ((total >> shift) > INT_MAX) ++shift;
    bar->setRange(0, static_cast<int>(total >> shift));
    bar->setValue(static_cast<int>(std::min(done, total) >> shift));
}

}  // namespace

CXferDlg::CXferDlg(TransferMode mode, CSerialPort* port, int comPort, std::uint32_t rate,
                   const std::string& path, QWidget* parent, Clock& clock)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_port(port),
      m_job(mode, port, comPort, rate, path, clock) {
    SetDialogSize(this, 250, 142);
    setWindowTitle(TransferTitle(mode));

    m_statusEdit = new QPlainTextEdit(this);
    PlaceControl(m_statusEdit, 7, 7, 236, 96);
    NameControl(m_statusEdit, 1022, "Transfer status");
    m_statusEdit->setReadOnly(true);

    m_bar = new QProgressBar(this);
    PlaceControl(m_bar, 7, 108, 236, 10);
    NameControl(m_bar, 1020, "Transfer progress");
    m_bar->setTextVisible(false);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setVisible(mode != TransferMode::kXmodemReceive);

    m_button = new QPushButton("Cancel Transfer", this);
    PlaceControl(m_button, 87, 122, 76, 13);
    NameControl(m_button, 1021, m_button->text());
    m_button->setDefault(true);
    m_button->setFocus();
    connect(m_button, &QPushButton::clicked, this, [this] { done(1); });
}

// The worker posts to this dialog: it ends before any of the dialog goes.
CXferDlg::~CXferDlg() {
    if (!m_job.Running()) return;
    m_job.Cancel();
    m_job.Finish();
}

void CXferDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_job.Started()) return;
    // On the worker thread: wake-ups, never the counters themselves.
    m_job.Start(
        [this] {
            if (m_progress.Post(0)) m_progressWake.Wake();
        },
        [this] { m_endWake.Wake(); });
}

void CXferDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) return event->accept();
    QDialog::keyPressEvent(event);
}

void CXferDlg::done(int) {
    if (!m_job.Running()) return QDialog::done(1);
    m_button->setEnabled(false);
    m_job.Cancel();
}

void CXferDlg::OnProgress() {
    if (!m_progress.Take() || m_finished) return;
    Refresh();
}

void CXferDlg::Refresh() {
    const CXmodem& engine = m_job.Engine();
    const TransferMode mode = m_job.Mode();
    m_status = TransferProgressText(mode, m_job.Path(), engine);
    ShowStatus();
    if (mode == TransferMode::kXmodemReceive) return;
    SetBar(m_bar, engine.Total(), engine.ByteCount());
    if (mode == TransferMode::kXmodemTransmit && engine.Mode() != CXmodem::kModeUnchosen) {
        setWindowTitle(TransferTitle(mode, engine.Mode()));
    }
}

void CXferDlg::OnJobEnded() {
    const int result = m_job.Finish();
    if (m_job.Cancelled()) return QDialog::done(1);
    // A refresh still queued would come after the closing line and wipe it: do it now instead.
    if (m_progress.Take()) Refresh();
    m_finished = true;
    const TransferMode mode = m_job.Mode();
    m_status += "\r\n" + TransferEndLine(mode, result, m_job.Path());
    for (const std::string& line : TransferFileLines(mode, result, m_job.Path(), m_job.Engine())) {
        m_status += "\r\n" + line;
    }
    if (result != kXmodemSuccess && m_port && m_port->DeviceLost()) {
        m_status += "\r\n" + TransferLostLine(m_port->DevicePath(), m_port->LostReason());
    }
    ShowStatus();
    m_button->setText("CLOSE");
    m_button->setAccessibleName(m_button->text());
}

void CXferDlg::ShowStatus() {
    QString text = QString::fromLocal8Bit(m_status.data(), static_cast<qsizetype>(m_status.size()));
    text.replace("\r\n", "\n");
    m_statusEdit->setPlainText(text);
}

}  // namespace zentrip
