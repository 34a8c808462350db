#include "app/mini_term/mini_term_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "app/common/dialog_layout.h"
#include "app/common/pane_colours.h"
#include "app/common/qt_text.h"
#include "app/common/window_fonts.h"
#include "app/dialogs/comm_settings_dlg.h"
#include "app/dialogs/file_dialogs.h"
#include "app/mini_term/term_edit.h"
#include "app/mini_term/xfer_dlg.h"
#include "link/open_failure.h"
#include "session/programmer.h"

namespace zentrip {

namespace {

const char* FileDialogTitle(TransferMode mode) {
    switch (mode) {
        case TransferMode::kXmodemTransmit:
            return "Select XMODEM File to Transmit...";
        case TransferMode::kXmodemReceive:
            return "Select XMODEM File to Receive...";
        case TransferMode::kTextTransmit:
            break;
    }
    return "Select TEXT file to transmit...";
}

QString Local(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CMiniTermDlg::CMiniTermDlg(const CommSettings& settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_session(
          settings, [this] { return m_term->NowMs(); }, [this] { return m_term->LogWithTimes(); }) {
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
    m_term->SetSendFn([this](char byte) { return m_session.SendByte(byte); });
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
            [this] { StartTransfer(TransferMode::kXmodemTransmit); });
    connect(AddButton(1020, "XModem Receive", 279, 64), &QPushButton::clicked, this,
            [this] { StartTransfer(TransferMode::kXmodemReceive); });
    connect(AddButton(1021, "Transmit Text...", 355, 64), &QPushButton::clicked, this,
            [this] { StartTransfer(TransferMode::kTextTransmit); });
    connect(AddButton(2, "Exit Mini Terminal  [x]", 435, 76), &QPushButton::clicked, this,
            &CMiniTermDlg::reject);

    m_viewTimer.setSingleShot(true);
    m_viewTimer.setInterval(kViewBatchMs);
    connect(&m_viewTimer, &QTimer::timeout, m_term, &CTermEdit::SyncView);
    connect(&m_session, &MiniTermSession::TitleChanged, this,
            [this](const std::string& title) { setWindowTitle(Local(title)); });
    // The view follows in batches: redrawing for every chunk would hold the reader up.
    connect(&m_session, &MiniTermSession::Received, this,
            [this](std::string_view bytes, std::int64_t nowMs) {
                m_term->AddReceived(bytes, nowMs);
                if (!m_viewTimer.isActive()) m_viewTimer.start();
            });
    connect(&m_session, &MiniTermSession::LoggingStopped, this,
            [this] { m_term->SetLogging(false); });
    connect(&m_session, &MiniTermSession::Exiting, this, &CMiniTermDlg::AnswerOpenDialogs);
    connect(&m_session, &MiniTermSession::Ended, this, [this] { QDialog::done(m_exitResult); });
    m_focusTimer.setInterval(kFocusPeriodMs);
    connect(&m_focusTimer, &QTimer::timeout, this, [this] {
        if (focusWidget() != m_term) m_term->setFocus();
    });
    m_focusTimer.start();

    // The template's size is the least; the window may grow.
    setMinimumSize(size());
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    m_termPlace = m_term->geometry();

    m_term->SetLineRate(settings.dataRate);  // pasted text keeps to the line's rate
    m_term->setFocus();
    qApp->installEventFilter(this);
    m_session.Reopen();
}

CMiniTermDlg::~CMiniTermDlg() {
    qApp->removeEventFilter(this);
    qDeleteAll(findChildren<CXferDlg*>());  // a transfer still running lets go of the port first
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
    if (m_session.IsExiting()) return;
    m_exitResult = result;
    m_session.Exit();
}

// Dialogs still open over the terminal are answered first (a transfer is cancelled).
void CMiniTermDlg::AnswerOpenDialogs() {
    for (QDialog* open : findChildren<QDialog*>(Qt::FindDirectChildrenOnly)) {
        if (open->isVisible()) open->done(QDialog::Rejected);
    }
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
    auto* dialog = new CCommSettingsDlg(m_session.Settings(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, this, [this, dialog](int result) {
        m_term->setFocus();
        if (result != QDialog::Accepted || m_session.IsExiting()) return;
        m_session.ChangeSettings(dialog->Settings());
        m_term->SetLineRate(m_session.Settings().dataRate);
    });
    dialog->open();
}

void CMiniTermDlg::StartTransfer(TransferMode mode) {
    if (!m_session.PrepareTransfer(mode)) return;
    OpenFileChoiceDialog(this, FileDialogTitle(mode), kProgramFileFilter,
                         [this, mode](std::optional<std::string> path) {
                             if (!path) return m_session.Reopen();
                             m_session.BeginTransfer([this, mode, path = *path](CSerialPort& port) {
                                 ShowTransfer(mode, path, port);
                             });
                         });
}

void CMiniTermDlg::ShowTransfer(TransferMode mode, const std::string& path, CSerialPort& port) {
    const CommSettings& settings = m_session.Settings();
    auto* transfer = new CXferDlg(mode, &port, settings.port, settings.dataRate, path, this);
    transfer->setAttribute(Qt::WA_DeleteOnClose);
    connect(transfer, &QDialog::finished, &m_session, &MiniTermSession::TransferEnded);
    transfer->open();
}

void CMiniTermDlg::ChooseLogFile() {
    auto* files = new QFileDialog(this, "Log to File...");
    files->setAcceptMode(QFileDialog::AcceptSave);
    files->setOption(QFileDialog::DontConfirmOverwrite);  // the log is appended to
    OpenFileDialog(files, [this](std::optional<std::string> path) {
        if (!path) return;
        std::string error;
        if (!m_session.StartLog(*path, &error)) {
            auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                        "Cannot log to " + PathText(*path) + ": " + Local(error),
                                        QMessageBox::Ok, this);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->open();
            return;
        }
        m_term->SetLogging(true);
    });
}

void CMiniTermDlg::StopLogging() {
    m_term->SetLogging(false);
    m_session.StopLog();
}

}  // namespace zentrip
