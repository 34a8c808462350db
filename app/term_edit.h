// CTermEdit: the Mini Terminal's text area. It shows the terminal's text (received bytes and
// local echo, by the display rules) and turns typed keys into bytes; it never touches the port:
// the window's send function sends them and says whether they went out, and only bytes that
// went out are echoed. Pasted text is typed at the line's pace (PastePacer). The edit's own
// typing is never run, so it shows only what the rules put there; keys that type nothing
// (arrows, page keys) still move and select.
#pragma once

#include <QPlainTextEdit>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string_view>

#include "app/paste_pacer.h"
#include "terminal/term_display.h"

namespace zentrip {

class CTermEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    // Sends one typed byte; false when it did not go out (no port, a lost device).
    using SendFn = std::function<bool(char byte)>;

    explicit CTermEdit(QWidget* parent = nullptr);

    void SetSendFn(SendFn send) { m_send = std::move(send); }
    // The line's rate, which pasted text keeps to.
    void SetLineRate(std::uint32_t rate) { m_lineRate = rate; }
    // The clipboard's text, typed as keys (Shift+Insert, Ctrl+Shift+V, the "Paste" entry).
    void Paste();
    void SetLocalEcho(bool on) { m_localEcho = on; }

    // One chunk from the line; the view follows at the next SyncView().
    void AddReceived(std::string_view chunk) { m_display.ShowReceived(chunk); }
    // Brings the view in step with the text and puts the caret at the end, in view.
    void SyncView();
    const CTermDisplay& Display() const { return m_display; }
    // Whether the context menu offers "Stop Logging" rather than "Log to File...".
    void SetLogging(bool on) { m_logging = on; }

signals:
    void LogToFileRequested();
    void StopLoggingRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Tab is typed, never a move to the next control.
    bool focusNextPrevChild(bool) override { return false; }
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool Type(std::string_view bytes, bool echo);
    void SendPasted();

    SendFn m_send;
    std::uint32_t m_lineRate = 9600;
    PastePacer m_paste;
    QTimer m_pasteTimer;
    CTermDisplay m_display;
    bool m_localEcho = false;
    bool m_logging = false;
};

}  // namespace zentrip
