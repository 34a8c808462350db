// The main window: folded as it starts, unfolded after programming the demo, and the record
// that run left in the Run Records window.
#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/comm_settings_dialog.h"
#include "app/programmer_app.h"
#include "app/programmer_dlg.h"
#include "app/run_records_dlg.h"
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
