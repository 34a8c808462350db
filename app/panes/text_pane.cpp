#include "app/panes/text_pane.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QSignalBlocker>
#include <QTimer>
#include <QTextBlock>
#include <QTextCursor>
#include <QUrl>
#include <algorithm>

#include "app/common/qt_text.h"

namespace zentrip {

namespace {

// The one local file a drag carries, or an empty string.
QString DroppedFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1) return {};
    const QUrl url = mime->urls().first();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

}  // namespace

TextPane::TextPane(TextModel& model, QWidget* parent) : QPlainTextEdit(parent), m_model(model) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    document()->setUndoRedoEnabled(false);
    connect(document(), &QTextDocument::contentsChange, this, &TextPane::ContentsChanged);
    Refresh();
}

void TextPane::Refresh() {
    const TextModel::Update update = m_model.TakeUpdate(kStepCharacters);
    if (update.more && !m_stepping) {
        m_stepping = true;
        QTimer::singleShot(0, this, [this] {
            m_stepping = false;
            Refresh();
        });
    }
    m_applying = true;
    QTextCursor cursor(document());
    bool longEdit = false;
    for (const TextModel::Edit& edit : update.edits) {
        const int end = document()->characterCount() - 1;
        const int start = static_cast<int>(std::min<std::size_t>(edit.start, end));
        const int removed = static_cast<int>(std::min<std::size_t>(edit.removed, end - start));
        cursor.setPosition(start);
        cursor.setPosition(start + removed, QTextCursor::KeepAnchor);
        // A long edit passes unannounced: what follows each change of the text (an editor's
        // highlighter) would otherwise go through every line of it, and then for the lines
        // in view only.
        const bool quiet = std::max<std::size_t>(removed, edit.text.size()) > kLongEdit;
        const QSignalBlocker blocker(quiet ? document() : nullptr);
        longEdit = longEdit || quiet;
        // Qt makes a line break of each CR LF, lone CR and lone LF, as the model counts them.
        cursor.insertText(Latin1(edit.text));
    }
    if (longEdit) emit LongEditShown();
    if (update.selectionChanged) {
        const int end = document()->characterCount() - 1;
        QTextCursor selection(document());
        selection.setPosition(std::min(static_cast<int>(update.selectionStart), end));
        selection.setPosition(std::min(static_cast<int>(update.selectionEnd), end),
                              QTextCursor::KeepAnchor);
        setTextCursor(selection);
    }
    if (update.scrollCaret) ensureCursorVisible();
    if (update.statusChanged) ShowStatus(update.status);
    m_applying = false;
}

void TextPane::ShowStatus(const std::vector<StatusMarks::Range>& status) {
    static const QColor kStatusText(128, 128, 128);
    QList<QTextEdit::ExtraSelection> shown;
    const int end = document()->characterCount() - 1;
    for (const StatusMarks::Range& range : status) {
        QTextEdit::ExtraSelection line;
        line.cursor = QTextCursor(document());
        line.cursor.setPosition(std::min(static_cast<int>(range.start), end));
        line.cursor.setPosition(std::min(static_cast<int>(range.end), end), QTextCursor::KeepAnchor);
        line.format.setForeground(kStatusText);
        shown.append(line);
    }
    setExtraSelections(shown);
}

void TextPane::UndoOrRedo(bool undo) {
    if (isReadOnly()) return;
    if (undo ? m_model.Undo() : m_model.Redo()) Refresh();
}

void TextPane::SetLocked(bool locked) {
    static const QColor kLocked(212, 212, 212);
    setReadOnly(locked);
    QPalette shown = palette();
    shown.setColor(QPalette::Base, locked ? kLocked : QPalette().color(QPalette::Base));
    setPalette(shown);
    setAccessibleDescription(locked ? "Locked while its text is being programmed" : QString());
}

void TextPane::ForLinesInView(const std::function<void(const QTextBlock&)>& visit) const {
    const qreal bottom = viewport()->height();
    const QPointF offset = contentOffset();
    for (QTextBlock block = firstVisibleBlock();
         block.isValid() && blockBoundingGeometry(block).translated(offset).top() <= bottom;
         block = block.next())
        visit(block);
}

void TextPane::SyncSelection() {
    const QTextCursor cursor = textCursor();
    m_model.SetWidgetSelection(static_cast<std::size_t>(cursor.selectionStart()),
                               static_cast<std::size_t>(cursor.selectionEnd()));
}

void TextPane::ContentsChanged(int position, int removed, int added) {
    if (m_applying) return;
    // Qt counts the document's closing paragraph in some changes; it holds no text.
    const int end = document()->characterCount() - 1;
    const int addedEnd = std::min(position + added, end);
    QTextCursor cursor(document());
    cursor.setPosition(std::min(position, end));
    cursor.setPosition(addedEnd, QTextCursor::KeepAnchor);
    QString inserted = cursor.selectedText();
    bool exact = true;
    for (QChar& ch : inserted) {
        if (ch == QChar::ParagraphSeparator) {
            ch = u'\n';
        } else if (ch == QChar::LineSeparator) {
            ch = u'\n';
            exact = false;  // a soft break: the model's line end is a paragraph
        } else if (ch.unicode() > 0xFF) {
            ch = u'?';
            exact = false;
        }
    }
    const int removedHere = std::max(0, removed - (added - (addedEnd - position)));
    // Qt's selections grow with typing at their end: the grey goes where the model says.
    if (m_model.ApplyWidgetEdit(static_cast<std::size_t>(position),
                                static_cast<std::size_t>(removedHere),
                                inserted.toLatin1().toStdString(), exact)) {
        if (const auto status = m_model.StatusShownNow()) ShowStatus(*status);
    }
}

void TextPane::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        UndoOrRedo(event->matches(QKeySequence::Undo));
        event->accept();
        return;
    }
    if (key == Qt::Key_Tab && event->modifiers() == Qt::ControlModifier) {
        if (!isReadOnly()) insertPlainText("\t");
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
    if (key == Qt::Key_Return || key == Qt::Key_Enter) event->accept();
}

void TextPane::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu(event->pos());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The document keeps no history of its own: the entries take the model's.
    for (QAction* action : menu->actions()) {
        const bool undo = action->objectName() == "edit-undo";
        if (!undo && action->objectName() != "edit-redo") continue;
        action->disconnect();
        action->setEnabled(!isReadOnly() && (undo ? m_model.CanUndo() : m_model.CanRedo()));
        connect(action, &QAction::triggered, this, [this, undo] { UndoOrRedo(undo); });
    }
    if (!m_contextActions.isEmpty()) {
        menu->addSeparator();
        menu->addActions(m_contextActions);
    }
    menu->popup(event->globalPos());
}

void TextPane::dragEnterEvent(QDragEnterEvent* event) {
    if (m_fileDrops && !DroppedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QPlainTextEdit::dragEnterEvent(event);
}

void TextPane::dragMoveEvent(QDragMoveEvent* event) {
    if (m_fileDrops && !DroppedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QPlainTextEdit::dragMoveEvent(event);
}

void TextPane::dropEvent(QDropEvent* event) {
    const QString path = m_fileDrops ? DroppedFile(event->mimeData()) : QString();
    if (path.isEmpty()) {
        QPlainTextEdit::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    emit FileDropped(path);
}

}  // namespace zentrip
