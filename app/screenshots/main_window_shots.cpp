// The main window: folded as it starts, and unfolded after programming the demo.
#include <QPushButton>

#include "app/programmer_app.h"
#include "app/programmer_dlg.h"
#include "app/screenshots/shots.h"

namespace zentrip::shots {

namespace {

bool StartUpDone(Session& session) { return !session.App().Window().SerialWorkBusy(); }

const ShotRegistrar kFolded({10, "main-window-folded.png", [](Session& session) {
                                 CProgrammerDlg& window = session.App().Window();
                                 if (!session.WaitUntil([&] { return StartUpDone(session); }))
                                     return false;
                                 session.Settle();
                                 return session.Save(window, "main-window-folded.png");
                             }});

const ShotRegistrar kAfterRun({20, "main-window-after-run.png", [](Session& session) {
                                   CProgrammerDlg& window = session.App().Window();
                                   auto* program = window.findChild<QPushButton*>("id1000");
                                   if (!program) return false;
                                   program->click();
                                   if (!session.WaitUntil([&] { return !window.SerialWorkBusy(); }))
                                       return false;
                                   session.Settle();
                                   return session.Save(window, "main-window-after-run.png");
                               }});

}  // namespace

}  // namespace zentrip::shots
