// TextPane: a multi-line edit that shows a TextModel. It takes the model's changes as edits
// of its own document (appends stay appends; a long text in steps, so the window keeps
// answering), turns the user's typing into model edits, shows the 8-bit text as Latin-1 and
// Zentrip's own status lines in grey. Undo and redo are the model's, so they take back only
// the user's edits. The editor and the results pane are both one; the window adds its own
// entries to the context menu and, for the editor, takes dropped files.
#pragma once

#include <QList>
#include <QPlainTextEdit>
#include <functional>

#include "app/worker/text_model.h"

class QAction;

namespace zentrip {

class TextPane final : public QPlainTextEdit {
    Q_OBJECT

public:
    TextPane(TextModel& model, QWidget* parent);

    // Characters of the model's changes shown per turn of the event loop.
    static constexpr std::size_t kStepCharacters = 32 * 1024;
    // An edit of the model longer than this is shown without the document's change signals;
    // LongEditShown follows.
    static constexpr std::size_t kLongEdit = 4096;

    // Shows the model's pending changes (window thread); what is left of a long change
    // follows on the next turns of the event loop.
    void Refresh();
    // Read-only with a grey background and a description that says why, or editable again.
    void SetLocked(bool locked);
    // Hands the widget's selection to the model, for the logic to read.
    void SyncSelection();
    // Entries added under the standard ones of the context menu.
    void AddContextAction(QAction* action) { m_contextActions.append(action); }
    // The lines in view, top to bottom; `visit` is called for each.
    void ForLinesInView(const std::function<void(const QTextBlock&)>& visit) const;
    // Dropped files are offered with FileDropped instead of being pasted as text.
    void AcceptFileDrops() { m_fileDrops = true; }

signals:
    void FileDropped(const QString& path);
    void LongEditShown();

protected:
    // Return is swallowed where it does nothing (a read-only pane), so it never reaches the
    // window. Tab moves the focus on; Ctrl+Tab types a tab into an editable pane.
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void ContentsChanged(int position, int removed, int added);
    void ShowStatus(const std::vector<StatusMarks::Range>& status);
    void UndoOrRedo(bool undo);

    TextModel& m_model;
    QList<QAction*> m_contextActions;
    bool m_fileDrops = false;
    bool m_applying = false;  // the change comes from the model, not from the user
    bool m_stepping = false;  // the rest of a long change waits for the next turn
};

}  // namespace zentrip
