// CMiniTermDlg: the Mini Terminal. A plain serial terminal on the configured port: what the
// line sends is shown by the terminal's display rules, what the user types is sent byte by
// byte (Escape too: it never closes the window) and echoed when asked. From here the user
// changes the port settings and starts XMODEM and text transfers (CXferDlg).
//
// The serial work is the MiniTermSession's; the window shows what it reports.
#pragma once

#include <QDialog>
#include <QTimer>
#include <utility>
#include <vector>

#include "app/mini_term/mini_term_session.h"
#include "link/comm_settings.h"
#include "terminal/transfer_texts.h"

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
    CommSettings Settings() const { return m_session.Settings(); }

    // Every way out (Exit, the window manager, an owner answering its dialogs): dialogs open
    // over the terminal are answered, a transfer is cancelled, the port is closed (on the
    // closer thread), and only then does the dialog end.
    void done(int result) override;

    static constexpr int kFocusPeriodMs = 2000;
    static constexpr int kViewBatchMs = 20;  // received text reaches the view at most this late

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The pane takes what the window grows by; the controls below it stay under its middle.
    void resizeEvent(QResizeEvent* event) override;

private:
    QPushButton* AddButton(int id, const char* text, int x, int width);
    void AnswerOpenDialogs();
    void ChangeSettings();
    void StartTransfer(TransferMode mode);
    void ShowTransfer(TransferMode mode, const std::string& path, CSerialPort& port);
    void ChooseLogFile();
    void StopLogging();

    CTermEdit* m_term = nullptr;
    MiniTermSession m_session;
    int m_exitResult = QDialog::Rejected;
    bool m_forwardingKey = false;

    QRect m_termPlace;  // at the template's size
    std::vector<std::pair<QWidget*, QPoint>> m_rowPlaces;
    QCheckBox* m_echoBox;
    QTimer m_focusTimer;
    QTimer m_viewTimer;
};

}  // namespace zentrip
