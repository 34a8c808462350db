#include "app/term_edit.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTextCursor>

#include "app/qt_text.h"
#include "app/term_keys.h"

namespace zentrip {

CTermEdit::CTermEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setUndoRedoEnabled(false);
    setFocusPolicy(Qt::StrongFocus);
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
    const std::string bytes = TypedBytes(event->key(), event->modifiers(), event->text());
    if (bytes.empty()) {
        QPlainTextEdit::keyPressEvent(event);  // moving and selecting only: the edit is read-only
        return;
    }
    // The Escape key goes out unechoed: the window takes it as a key of its own, not as text.
    const bool echo = m_localEcho && event->key() != Qt::Key_Escape;
    for (const char byte : bytes) {
        emit Typed(byte);
        if (echo) m_display.Echo(byte);
    }
    if (echo) SyncView();
    event->accept();
}

void CTermEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu(event->pos());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    QAction* start = menu->addAction("Log to File...", this, &CTermEdit::LogToFileRequested);
    QAction* stop = menu->addAction("Stop Logging", this, &CTermEdit::StopLoggingRequested);
    start->setEnabled(!m_logging);
    stop->setEnabled(m_logging);
    menu->popup(event->globalPos());
}

}  // namespace zentrip
