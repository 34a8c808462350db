#include "app/mini_term/mini_term_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>
#include <chrono>
#include <utility>

#include "app/common/dialog_layout.h"
#include "app/common/dialog_layout.h"
#include "app/common/pane_colours.h"
#include "app/common/qt_text.h"
#include "app/common/qt_text.h"
#include "app/common/window_fonts.h"
#include "app/common/window_fonts.h"
#include "app/dialogs/comm_settings_dlg.h"
#include "app/dialogs/comm_settings_dlg.h"
#include "app/dialogs/file_dialogs.h"
#include "app/dialogs/file_dialogs.h"
#include "app/mini_term/term_edit.h"
#include "app/mini_term/term_edit.h"
#include "app/mini_term/xfer_dlg.h"
#include "app/mini_term/xfer_dlg.h"
#include "link/open_failure.h"
#include "session/programmer.h"
#include "terminal/term_texts.h"
#include "terminal/transfer_texts.h"

namespace zentrip {

namespace {

constexpr std::uint32_t kDataReceivedId = 1013;
// How long one wake-up may spend taking received bytes before the window gets a turn.
constexpr auto kDrainBudget = std::chrono::milliseconds(8);

const char* FileDialogTitle(int mode) {
    switch (mode) {
        case kXmodemTransmitMode:
            return "Select XMODEM File to Transmit...";
        case kXmodemReceiveMode:
            return "Select XMODEM File to Receive...";
        default:
            return "Select TEXT file to transmit...";
    }
}

QString Local(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CMiniTermDlg::CMiniTermDlg(const CommSettings& settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_settings(settings) {
    setWindowTitle("Mini Terminal Mode");
    SetDialogSize(this, 540, 282);

    m_term = new CTermEdit(this);
    PlaceControl(m_term, 7, 21, 526, 233);
    NameControl(m_term, 1012, "Terminal");
    m_term->setFont(FixedPitchFont());
    QPalette colours = m_term->palette();
    colours.setColor(QPalette::Base, kPaneBackground);
    colours.setColor(QPalette::Text, kPaneText);
    m_term->setPalette(colours);
    m_term->SetSendFn([this](char byte) { return SendByte(byte); });
    connect(m_term, &CTermEdit::LogToFileRequested, this, &CMiniTermDlg::ChooseLogFile);
    connect(m_term, &CTermEdit::StopLoggingRequested, this, &CMiniTermDlg::StopLogging);

    m_echoBox = new QCheckBox("Local Echo Enable", this);
    PlaceControl(m_echoBox, 25, 261, 76, 12);
    m_rowPlaces.emplace_back(m_echoBox, m_echoBox->pos());
    NameControl(m_echoBox, 1014, m_echoBox->text());
    connect(m_echoBox, &QCheckBox::toggled, this, [this](bool on) {
        m_term->SetLocalEcho(on);
        m_term->setFocus();
    });

    connect(AddButton(1015, "Settings...", 121, 64), &QPushButton::clicked, this,
            &CMiniTermDlg::ChangeSettings);
    connect(AddButton(1019, "XModem Transmit", 201, 64), &QPushButton::clicked, this,
            [this] { StartTransfer(kXmodemTransmitMode); });
    connect(AddButton(1020, "XModem Receive", 279, 64), &QPushButton::clicked, this,
            [this] { StartTransfer(kXmodemReceiveMode); });
    connect(AddButton(1021, "Transmit Text...", 355, 64), &QPushButton::clicked, this,
            [this] { StartTransfer(kTextTransmitMode); });
    connect(AddButton(2, "Exit Mini Terminal  [x]", 435, 76), &QPushButton::clicked, this,
            &CMiniTermDlg::reject);

    m_reopenTimer.setSingleShot(true);
    m_reopenTimer.setInterval(kReopenPauseMs);
    connect(&m_reopenTimer, &QTimer::timeout, this, &CMiniTermDlg::OpenAfterPause);
    m_viewTimer.setSingleShot(true);
    m_viewTimer.setInterval(kViewBatchMs);
    connect(&m_viewTimer, &QTimer::timeout, m_term, &CTermEdit::SyncView);
    m_lostTimer.setInterval(LostDeviceWatch::kPollMs);
    connect(&m_lostTimer, &QTimer::timeout, this, &CMiniTermDlg::LookForLostDevice);
    m_focusTimer.setInterval(kFocusPeriodMs);
    connect(&m_focusTimer, &QTimer::timeout, this, [this] {
        if (focusWidget() != m_term) m_term->setFocus();
    });
    m_focusTimer.start();

    // The template's size is the least; the window may grow.
    setMinimumSize(size());
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    m_termPlace = m_term->geometry();

    ApplySettings();
    m_term->setFocus();
    qApp->installEventFilter(this);
    Reopen();
}

CMiniTermDlg::~CMiniTermDlg() {
    qApp->removeEventFilter(this);
    qDeleteAll(findChildren<CXferDlg*>());  // a transfer still running lets go of the port first
    m_wake.NewGeneration();                 // the reader's last wake-ups go nowhere
    m_closer.Abandon();
    m_port.Close();
}

// The port numbers lead to the devices of these settings (the transfers' opens included);
// pasted text keeps to their rate.
void CMiniTermDlg::ApplySettings() {
    m_port.SetDevicePathFn(
        [settings = m_settings](int port) { return DevicePathOf(settings, port); });
    m_term->SetLineRate(m_settings.dataRate);
}

QPushButton* CMiniTermDlg::AddButton(int id, const char* text, int x, int width) {
    auto* button = new QPushButton(text, this);
    PlaceControl(button, x, 262, width, 11);
    m_rowPlaces.emplace_back(button, button->pos());
    NameControl(button, id, text);
    button->setAutoDefault(false);  // Enter is typed, never a button press
    return button;
}

void CMiniTermDlg::done(int result) {
    if (m_exiting) return;
    m_exiting = true;
    m_exitResult = result;
    m_reopenTimer.stop();
    m_lostTimer.stop();
    // Dialogs still open over the terminal are answered first; a transfer is cancelled and
    // the exit goes on once its worker has let go of the port.
    for (QDialog* open : findChildren<QDialog*>(Qt::FindDirectChildrenOnly)) {
        if (open->isVisible()) open->done(QDialog::Rejected);
    }
    if (m_holder != PortHolder::kTransfer) FinishExit();
}

void CMiniTermDlg::FinishExit() {
    HandOver([this] { QDialog::done(m_exitResult); });
}

// Closes the port on the closer thread, then (back on this thread) runs `then`, unless a later
// hand-over has taken its place: what follows a close is always what was asked for last.
void CMiniTermDlg::HandOver(std::function<void()> then) {
    m_wake.NewGeneration();
    m_readerOpen = false;
    m_holder = PortHolder::kCloser;
    const unsigned handOver = ++m_handOvers;
    m_closer.Close(m_port, [this, handOver, then = std::move(then)] {
        m_holder = PortHolder::kWindow;
        if (handOver == m_handOvers) then();
    });
}

// Close, a pause that the device may need, open again with the reader.
void CMiniTermDlg::Reopen(std::optional<std::string> watchFailure) {
    if (m_exiting) return;
    m_lostTimer.stop();
    HandOver([this, watchFailure = std::move(watchFailure)] {
        if (m_exiting) return;
        m_watchFailedReopen = watchFailure;
        m_reopenTimer.start();
    });
}

void CMiniTermDlg::OpenAfterPause() {
    const auto watchFailure = std::exchange(m_watchFailedReopen, std::nullopt);
    if (OpenWithReader()) return SetTitle(TerminalOpenTitle(m_settings.port, m_settings.dataRate));
    // The device a transfer used may be gone for now (pulled during the transfer): it is
    // waited for as when it vanishes under the terminal, if the terminal had it open.
    if (watchFailure && !m_port.DevicePath().empty() && m_watch.Path() == m_port.DevicePath()) {
        return WatchLostDevice(watchFailure->empty() ? m_port.OpenError() : *watchFailure);
    }
    SetTitle(TerminalFailedTitle(m_settings.port, m_settings.dataRate, OpenFailureReason(m_port)));
}

bool CMiniTermDlg::OpenWithReader() {
    if (m_exiting || m_holder != PortHolder::kWindow) return false;
    if (!m_port.Open(m_settings.port, m_settings.dataRate)) return false;
    const std::uint64_t generation = m_wake.NewGeneration();
    // On the reader thread: a wake-up without data, at most one outstanding.
    m_port.StartReader(
        [this, generation](std::uint32_t) {
            if (m_wake.Post(generation)) {
                QMetaObject::invokeMethod(this, "OnDataReceived", Qt::QueuedConnection);
            }
        },
        kDataReceivedId, 0);
    m_readerOpen = true;
    m_watch.Opened(m_port.DevicePath());
    return true;
}

void CMiniTermDlg::OnDataReceived() {
    if (!m_wake.Take() || !m_readerOpen || m_holder != PortHolder::kWindow) return;
    const auto start = std::chrono::steady_clock::now();
    char chunk[CSerialPort::kChunkSize];
    bool drained = false;
    while (!drained) {
        const int n = m_port.Read(chunk, static_cast<int>(sizeof chunk));
        drained = n <= 0;
        if (drained) break;
        const std::string_view bytes(chunk, static_cast<std::size_t>(n));
        const std::int64_t now = m_term->NowMs();
        LogReceived(bytes, now);
        m_term->AddReceived(bytes, now);
        if (std::chrono::steady_clock::now() - start > kDrainBudget) break;
    }
    // The view follows in batches: redrawing for every chunk would hold the reader up.
    if (!m_viewTimer.isActive()) m_viewTimer.start();
    if (!drained) {
        // More waits: come back after the window had its turn.
        if (m_wake.Post(m_wake.Generation())) {
            QMetaObject::invokeMethod(this, "OnDataReceived", Qt::QueuedConnection);
        }
    } else if (!m_port.ReaderRunning()) {
        OnDeviceLost();
    }
}

void CMiniTermDlg::OnDeviceLost() {
    HandOver([this] { WatchLostDevice(m_port.LostReason()); });
}

void CMiniTermDlg::WatchLostDevice(const std::string& reason) {
    m_watch.Lost(reason);
    SetTitle(TerminalLostTitle(m_watch.Path(), m_watch.Reason()));
    if (!m_exiting) m_lostTimer.start();
}

// While the device is gone: a look at its path four times a second, nothing else.
void CMiniTermDlg::LookForLostDevice() {
    if (m_holder != PortHolder::kWindow) return;
    const LostDeviceWatch::Look look = m_watch.LookAgain();
    if (look.changed && look.sight != LostDeviceWatch::Sight::kBack) {
        SetTitle(look.sight == LostDeviceWatch::Sight::kDifferent
                     ? TerminalOtherDeviceTitle(m_watch.Path(), m_watch.Reason())
                     : TerminalLostTitle(m_watch.Path(), m_watch.Reason()));
    }
    if (look.sight != LostDeviceWatch::Sight::kBack || !OpenWithReader()) return;
    m_lostTimer.stop();
    SetTitle(TerminalReturnedTitle(m_settings.port, m_settings.dataRate, m_watch.Path()));
}

bool CMiniTermDlg::SendByte(char byte) {
    return m_holder == PortHolder::kWindow && m_readerOpen && m_port.WriteByte(byte) == 1;
}

void CMiniTermDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const QSize grown = size() - minimumSize();
    m_term->setGeometry(m_termPlace.adjusted(0, 0, grown.width(), grown.height()));
    for (const auto& [control, place] : m_rowPlaces) {
        control->move(place + QPoint(grown.width() / 2, grown.height()));
    }
}

bool CMiniTermDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || m_forwardingKey) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return false;
    // Every key goes to the terminal; none moves the focus or presses a button.
    if (widget == m_term || (widget->isAncestorOf(m_term) && m_term->hasFocus())) return false;
    m_term->setFocus();
    m_forwardingKey = true;
    QCoreApplication::sendEvent(m_term, event);
    m_forwardingKey = false;
    return true;
}

// The settings dialog with the terminal's values; unless cancelled, the port reopens with the
// new ones. Either way the terminal gets the focus back.
void CMiniTermDlg::ChangeSettings() {
    auto* dialog = new CCommSettingsDlg(m_settings, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, this, [this, dialog](int result) {
        m_term->setFocus();
        if (result != QDialog::Accepted || m_exiting) return;
        const CommSettings chosen = dialog->Settings();
        TakePortChoice(m_settings, chosen);
        ApplySettings();
        Reopen();
    });
    dialog->open();
}

void CMiniTermDlg::StartTransfer(int mode) {
    if (m_holder == PortHolder::kTransfer || m_exiting) return;
    m_reopenTimer.stop();
    m_lostTimer.stop();
    if (mode == kXmodemTransmitMode) HandOver([] {});
    OpenFileChoiceDialog(this, FileDialogTitle(mode), kProgramFileFilter,
                         [this, mode](std::optional<std::string> path) {
                             if (!path) return Reopen();
                             RunTransfer(mode, *path);
                         });
}

void CMiniTermDlg::RunTransfer(int mode, const std::string& path) {
    HandOver([this, mode, path] {
        m_holder = PortHolder::kTransfer;
        auto* transfer =
            new CXferDlg(mode, &m_port, m_settings.port, m_settings.dataRate, path, this);
        transfer->setAttribute(Qt::WA_DeleteOnClose);
        connect(transfer, &QDialog::finished, this, [this] {
            m_holder = PortHolder::kWindow;
            if (m_exiting) return FinishExit();
            Reopen(m_port.DeviceLost() ? m_port.LostReason() : std::string());
        });
        transfer->open();
    });
}

void CMiniTermDlg::ChooseLogFile() {
    auto* files = new QFileDialog(this, "Log to File...");
    files->setAcceptMode(QFileDialog::AcceptSave);
    files->setOption(QFileDialog::DontConfirmOverwrite);  // the log is appended to
    OpenFileDialog(files, [this](std::optional<std::string> path) {
        if (!path) return;
        std::string error;
        if (!m_log.Start(*path, DevicePathOf(m_settings, m_settings.port), &error)) {
            auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                        "Cannot log to " + PathText(*path) + ": " + Local(error),
                                        QMessageBox::Ok, this);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->open();
            return;
        }
        m_term->SetLogging(true);
        m_logNote = LoggingNote(m_log.Path());
        UpdateTitle();
    });
}

void CMiniTermDlg::StopLogging() {
    m_log.Stop();
    m_term->SetLogging(false);
    m_logNote.clear();
    UpdateTitle();
}

void CMiniTermDlg::LogReceived(std::string_view bytes, std::int64_t nowMs) {
    const std::string logged =
        m_logTimes.Stamp(bytes, m_term->LogWithTimes() ? TimePrefix(nowMs) : std::string());
    std::string error;
    if (m_log.Append(logged, &error)) return;
    m_term->SetLogging(false);
    m_logNote = LoggingStoppedNote(m_log.Path(), error);
    UpdateTitle();
}

void CMiniTermDlg::SetTitle(std::string title) {
    m_title = std::move(title);
    UpdateTitle();
}

void CMiniTermDlg::UpdateTitle() { setWindowTitle(Local(m_title + m_logNote)); }

}  // namespace zentrip
