// CTermEdit: the Mini Terminal's text area. It shows the terminal's text (received bytes and
// local echo, by the display rules) and turns typed keys into bytes; it never touches the port:
// the window sends what it reports. The edit's own typing is never run, so it shows only what
// the rules put there; keys that type nothing (arrows, page keys) still move and select.
#pragma once

#include <QPlainTextEdit>
#include <string_view>

#include "terminal/term_display.h"

namespace zentrip {

class CTermEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit CTermEdit(QWidget* parent = nullptr);

    void SetLocalEcho(bool on) { m_localEcho = on; }

    // One chunk from the line; the view follows at the next SyncView().
    void AddReceived(std::string_view chunk) { m_display.ShowReceived(chunk); }
    // Brings the view in step with the text and puts the caret at the end, in view.
    void SyncView();
    const CTermDisplay& Display() const { return m_display; }
    // Whether the context menu offers "Stop Logging" rather than "Log to File...".
    void SetLogging(bool on) { m_logging = on; }

signals:
    void Typed(char byte);
    void LogToFileRequested();
    void StopLoggingRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Tab is typed, never a move to the next control.
    bool focusNextPrevChild(bool) override { return false; }
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    CTermDisplay m_display;
    bool m_localEcho = false;
    bool m_logging = false;
};

}  // namespace zentrip
