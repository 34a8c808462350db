// The main window: folded as it starts, unfolded after programming the demo, the record that
// run left in the Run Records window, and the demo in colour with one problem underlined.
#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include "app/dialogs/comm_settings_dlg.h"
#include "app/dialogs/run_records_dlg.h"
#include "app/main_window/programmer_dlg.h"
#include "app/panes/editor_highlighter.h"
#include "app/program/programmer_app.h"
#include "app/screenshots/shots.h"

namespace zentrip::shots {

namespace {

bool StartUpDone(Session& session) { return !session.App().Window().SerialWorkBusy(); }

const ShotRegistrar kFolded({10, "main-window-folded.png", [](Session& session) {
                                 CProgrammerDlg& window = session.App().Window();
                                 if (!session.WaitUntil([&] { return StartUpDone(session); }))
                                     return false;
                                 session.Settle();
                                 return session.Save(window);
                             }});

const ShotRegistrar kAfterRun({20, "main-window-after-run.png", [](Session& session) {
                                   CProgrammerDlg& window = session.App().Window();
                                   auto* program = window.findChild<QPushButton*>("id1000");
                                   if (!program) return false;
                                   program->click();
                                   if (!session.WaitUntil([&] { return !window.SerialWorkBusy(); }))
                                       return false;
                                   session.Settle();
                                   return session.Save(window);
                               }});

// Opened from the results pane once the demo's run has left its record.
bool ShotOfRunRecords(Session& session) {
    CProgrammerDlg& window = session.App().Window();
    for (QAction* action : window.findChildren<QAction*>())
        if (action->text() == "Run Records...") action->trigger();
    CRunRecordsDlg* records = nullptr;
    const auto shown = [&] {
        records = window.findChild<CRunRecordsDlg*>();
        auto* text = records ? records->findChild<QPlainTextEdit*>("recordText") : nullptr;
        return text && !text->toPlainText().isEmpty();
    };
    if (!session.WaitUntil(shown)) return false;
    session.Settle();
    const bool saved = session.Save(*records);
    records->close();
    return saved;
}

const ShotRegistrar kRunRecords({25, "run-records.png", &ShotOfRunRecords});

// The demo in colour, with a line typed in that names an include file that is not there.
const ShotRegistrar kHighlighted({27, "main-window-highlighted.png", [](Session& session) {
    CProgrammerDlg& window = session.App().Window();
    auto* editor = window.findChild<QPlainTextEdit*>("id1001");
    auto* highlighter = editor ? editor->findChild<EditorHighlighter*>() : nullptr;
    if (!highlighter) return false;
    QTextCursor cursor(editor->document()->findBlockByNumber(8));
    cursor.movePosition(QTextCursor::EndOfBlock);
    editor->setTextCursor(cursor);
    editor->insertPlainText("\n#include examples/south_hill.inc");
    // The commands and controller lines below it in view too.
    editor->verticalScrollBar()->setValue(5);
    const auto underlined = [&] {
        if (!highlighter->Current()) return false;
        for (const QTextLayout::FormatRange& range :
             editor->document()->findBlockByNumber(9).layout()->formats()) {
            if (range.format.underlineStyle() == QTextCharFormat::WaveUnderline) return true;
        }
        return false;
    };
    if (!session.WaitUntil(underlined)) return false;
    session.Settle();
    return session.Save(window);
}});

// A dialog the main window opens from one of its buttons, pictured and then cancelled.
template <typename Dialog>
bool ShotOfDialog(Session& session, const char* button) {
    CProgrammerDlg& window = session.App().Window();
    auto* opener = window.findChild<QPushButton*>(button);
    if (!opener) return false;
    opener->click();
    Dialog* dialog = nullptr;
    if (!session.WaitUntil([&] { return (dialog = window.findChild<Dialog*>()) != nullptr; }))
        return false;
    session.Settle();
    const bool saved = session.Save(*dialog);
    dialog->reject();
    return saved;
}

const ShotRegistrar kSettings({30, "settings-dialog.png", [](Session& session) {
                                   return ShotOfDialog<CCommSettingsDlg>(session, "id1009");
                               }});

}  // namespace

}  // namespace zentrip::shots
