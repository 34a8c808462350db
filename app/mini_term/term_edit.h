// CTermEdit: the Mini Terminal's text area. It shows the terminal's text (received bytes and
// local echo, by the display rules) and turns typed keys into bytes; it never touches the port:
// the window's send function sends them and says whether they went out, and only bytes that
// went out are echoed. Pasted text is typed at the line's pace (PastePacer). The edit's own
// typing is never run, so it shows only what the rules put there; keys that type nothing
// (arrows, page keys) still move and select.
//
// The context menu's views ("Show Time", "Show as Hex") change what received bytes show as
// from the next byte on (CHexView, TimePrefix); a hex line begun is ended by a timer after
// its pause.
#pragma once

#include <QPlainTextEdit>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/mini_term/paste_pacer.h"
#include "terminal/term_display.h"
#include "terminal/term_views.h"

class QMenu;

namespace zentrip {

class CTermEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    // Sends one typed byte; false when it did not go out (no port, a lost device).
    using SendFn = std::function<bool(char byte)>;
    // Milliseconds since 1970 UTC.
    using ClockFn = std::function<std::int64_t()>;

    explicit CTermEdit(QWidget* parent = nullptr);

    void SetSendFn(SendFn send) { m_send = std::move(send); }
    // The line's rate, which pasted text keeps to.
    void SetLineRate(std::uint32_t rate) { m_lineRate = rate; }
    // The clipboard's text, typed as keys (Shift+Insert, Ctrl+Shift+V, the "Paste" entry).
    void Paste();
    void SetLocalEcho(bool on) { m_localEcho = on; }

    void SetClockFn(ClockFn clock) { m_clock = std::move(clock); }
    std::int64_t NowMs() const { return m_clock(); }

    // One chunk from the line, arrived at nowMs; the view follows at the next SyncView().
    void AddReceived(std::string_view chunk, std::int64_t nowMs);
    // Brings the view in step with the text and puts the caret at the end, in view.
    void SyncView();
    // Whether the context menu offers "Stop Logging" rather than "Log to File...".
    void SetLogging(bool on) { m_logging = on; }
    bool LogWithTimes() const { return m_logTimes; }

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
    void AddCheckable(QMenu* menu, const char* text, bool* on, void (CTermEdit::*changed)());
    void TimeViewChanged() { m_hex.SetShowTime(m_showTime); }
    void HexViewChanged();
    void ShowHex(const std::string& lines);
    void FlushHex();
    void ScheduleHexFlush();

    SendFn m_send;
    std::uint32_t m_lineRate = 9600;
    PastePacer m_paste;
    QTimer m_pasteTimer;
    CTermDisplay m_display;
    bool m_localEcho = false;
    bool m_logging = false;
    bool m_showTime = false;
    bool m_showHex = false;
    bool m_logTimes = false;
    CHexView m_hex;
    QTimer m_hexTimer;
    ClockFn m_clock;
};

}  // namespace zentrip
