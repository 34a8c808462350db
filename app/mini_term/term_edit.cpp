#include "app/mini_term/term_edit.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTextCursor>
#include <algorithm>
#include <chrono>

#include "app/common/qt_text.h"
#include "app/mini_term/term_keys.h"

namespace zentrip {

namespace {

std::int64_t SystemNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

CTermEdit::CTermEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setUndoRedoEnabled(false);
    setFocusPolicy(Qt::StrongFocus);
    m_pasteTimer.setInterval(PastePacer::kTickMs);
    connect(&m_pasteTimer, &QTimer::timeout, this, &CTermEdit::SendPasted);
    m_clock = SystemNowMs;
    m_hexTimer.setSingleShot(true);
    connect(&m_hexTimer, &QTimer::timeout, this, &CTermEdit::FlushHex);
}

void CTermEdit::AddReceived(std::string_view chunk, std::int64_t nowMs) {
    if (m_showHex) {
        ShowHex(m_hex.Received(chunk, nowMs));
        return ScheduleHexFlush();
    }
    m_display.ShowReceived(chunk, m_showTime ? TimePrefix(nowMs) : std::string());
}

// Hex lines start lines of their own, also after echoed text.
void CTermEdit::ShowHex(const std::string& lines) {
    if (lines.empty()) return;
    if (!m_display.AtLineStart()) m_display.ShowReceived("\r");
    m_display.ShowReceived(lines);
}

void CTermEdit::FlushHex() {
    ShowHex(m_hex.Flush(NowMs()));
    SyncView();
    ScheduleHexFlush();
}

void CTermEdit::ScheduleHexFlush() {
    const std::optional<std::int64_t> due = m_hex.FlushDue();
    if (!due) return m_hexTimer.stop();
    m_hexTimer.start(static_cast<int>(std::max<std::int64_t>(0, *due - NowMs())));
}

// Off: the line begun is shown as it stands, and what follows by the plain rules.
void CTermEdit::HexViewChanged() {
    if (m_showHex) return;
    m_hexTimer.stop();
    ShowHex(m_hex.TakePartial());
    SyncView();
}

void CTermEdit::SyncView() {
    const CTermDisplay::Change change = m_display.TakeChange();
    if (change.reset) {
        setPlainText(Latin1(m_display.DisplayText()));
    } else if (change.removed > 0 || !change.appended.empty()) {
        QTextCursor cursor(document());
        cursor.movePosition(QTextCursor::End);
        if (change.removed > 0) {
            cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor,
                                static_cast<int>(change.removed));
            cursor.removeSelectedText();
        }
        cursor.insertText(Latin1(change.appended));
    }
    QTextCursor end = textCursor();
    end.movePosition(QTextCursor::End);
    setTextCursor(end);
    ensureCursorVisible();
}

void CTermEdit::keyPressEvent(QKeyEvent* event) {
    if (IsPasteKey(event->key(), event->modifiers())) {
        Paste();
        return event->accept();
    }
    const std::string bytes = TypedBytes(event->key(), event->modifiers(), event->text());
    if (bytes.empty()) {
        QPlainTextEdit::keyPressEvent(event);  // moving and selecting only: the edit is read-only
        return;
    }
    // The Escape key goes out unechoed: the window takes it as a key of its own, not as text.
    Type(bytes, event->key() != Qt::Key_Escape);
    event->accept();
}

// Returns whether every byte went out.
bool CTermEdit::Type(std::string_view bytes, bool echo) {
    bool echoed = false;
    bool sent = true;
    for (const char byte : bytes) {
        sent = m_send && m_send(byte);
        if (!sent) break;
        if (!m_localEcho || !echo) continue;
        m_display.Echo(byte);
        echoed = true;
    }
    if (echoed) SyncView();
    return sent;
}

void CTermEdit::Paste() {
    m_paste.Add(PastedBytes(QGuiApplication::clipboard()->text()));
    if (!m_paste.Empty()) m_pasteTimer.start();
}

// What the line has room for goes out; the rest of a paste is dropped once a byte does not
// go out (the device is gone), as typed keys are.
void CTermEdit::SendPasted() {
    if (!Type(m_paste.Take(m_lineRate), true)) m_paste.Clear();
    if (m_paste.Empty()) m_pasteTimer.stop();
}

void CTermEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu(event->pos());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* paste = menu->addAction("Paste", this, &CTermEdit::Paste);
    paste->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
    menu->addSeparator();
    QAction* start = menu->addAction("Log to File...", this, &CTermEdit::LogToFileRequested);
    QAction* stop = menu->addAction("Stop Logging", this, &CTermEdit::StopLoggingRequested);
    AddCheckable(menu, "Log with Times", &m_logTimes, nullptr);
    start->setEnabled(!m_logging);
    stop->setEnabled(m_logging);
    menu->addSeparator();
    AddCheckable(menu, "Show Time", &m_showTime, &CTermEdit::TimeViewChanged);
    AddCheckable(menu, "Show as Hex", &m_showHex, &CTermEdit::HexViewChanged);
    menu->popup(event->globalPos());
}

void CTermEdit::AddCheckable(QMenu* menu, const char* text, bool* on,
                             void (CTermEdit::*changed)()) {
    QAction* entry = menu->addAction(text);
    entry->setCheckable(true);
    entry->setChecked(*on);
    connect(entry, &QAction::toggled, this, [this, on, changed](bool checked) {
        *on = checked;
        if (changed) (this->*changed)();
    });
}

}  // namespace zentrip
