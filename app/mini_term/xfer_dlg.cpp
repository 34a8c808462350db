#include "app/mini_term/xfer_dlg.h"

#include <QKeyEvent>
#include <QMetaObject>
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

CXferDlg::CXferDlg(int mode, CSerialPort* port, int comPort, std::uint32_t rate,
                   const std::string& path, QWidget* parent, Clock& clock)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_mode(mode == kXmodemTransmitMode || mode == kXmodemReceiveMode ? mode : kTextTransmitMode),
      m_port(port),
      m_path(path) {
    SetDialogSize(this, 250, 142);
    setWindowTitle(TransferTitle(m_mode));

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
    m_bar->setVisible(m_mode != kXmodemReceiveMode);

    m_button = new QPushButton("Cancel Transfer", this);
    PlaceControl(m_button, 87, 122, 76, 13);
    NameControl(m_button, 1021, m_button->text());
    m_button->setDefault(true);
    m_button->setFocus();
    connect(m_button, &QPushButton::clicked, this, [this] { done(1); });

    m_engine = std::make_unique<CXmodem>(m_port, comPort, rate, clock);
    m_engine->SetMode(m_mode == kXmodemTransmitMode ? CXmodem::kModeUnchosen : CXmodem::kModeCrc);
    // On the worker thread: a wake-up, never the counters themselves.
    m_engine->SetOwner([this](std::uint32_t) {
        if (m_progress.Post(0)) QMetaObject::invokeMethod(this, "OnProgress", Qt::QueuedConnection);
    });
}

CXferDlg::~CXferDlg() {
    if (!m_worker.joinable()) return;
    m_engine->Cancel();
    m_worker.join();
}

void CXferDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_started) StartWorker();
}

void CXferDlg::StartWorker() {
    m_started = true;
    m_worker = std::thread([this] {
        switch (m_mode) {
            case kXmodemTransmitMode:
                m_result = m_engine->Transmit(m_path);
                break;
            case kXmodemReceiveMode:
                m_result = m_engine->Receive(m_path);
                break;
            default:
                m_result = m_engine->TransmitText(m_path);
                break;
        }
        QMetaObject::invokeMethod(this, "OnWorkerDone", Qt::QueuedConnection);
    });
}

void CXferDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) return event->accept();
    QDialog::keyPressEvent(event);
}

void CXferDlg::done(int) {
    if (!m_worker.joinable()) return QDialog::done(1);
    m_closeRequested = true;
    m_button->setEnabled(false);
    m_engine->Cancel();
}

void CXferDlg::OnProgress() {
    if (!m_progress.Take() || m_finished) return;
    // The engine clears its cancel flag when its operation begins and notifies right after:
    // a cancel that came before then is given again here.
    if (m_closeRequested) m_engine->Cancel();
    Refresh();
}

void CXferDlg::Refresh() {
    const CXmodem& engine = *m_engine;
    m_status = TransferProgressText(m_mode, m_path, engine);
    ShowStatus();
    if (m_mode == kXmodemReceiveMode) return;
    SetBar(m_bar, engine.Total(), engine.ByteCount());
    if (m_mode == kXmodemTransmitMode && engine.Mode() != CXmodem::kModeUnchosen) {
        setWindowTitle(TransferTitle(m_mode, engine.Mode()));
    }
}

void CXferDlg::OnWorkerDone() {
    m_worker.join();
    if (m_closeRequested || m_engine->CancelRequested()) return QDialog::done(1);
    // A refresh still queued would come after the closing line and wipe it: do it now instead.
    if (m_progress.Take()) Refresh();
    m_finished = true;
    m_status += "\r\n" + TransferEndLine(m_mode, m_result, m_path);
    for (const std::string& line : TransferFileLines(m_mode, m_result, m_path, *m_engine)) {
        m_status += "\r\n" + line;
    }
    if (m_result != kXmodemSuccess && m_port && m_port->DeviceLost()) {
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
