// The Mini Terminal with some traffic with the simulated controller, and a transfer dialog
// at its end (a text transmission of the demo program to the controller).
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QPushButton>

#include "app/main_window/programmer_dlg.h"
#include "app/mini_term/mini_term_dlg.h"
#include "app/mini_term/xfer_dlg.h"
#include "app/program/programmer_app.h"
#include "app/screenshots/shots.h"

namespace zentrip::shots {

namespace {

template <typename Dialog>
Dialog* WaitForDialog(Session& session, QWidget& owner) {
    Dialog* found = nullptr;
    session.WaitUntil([&] {
        for (Dialog* dialog : owner.findChildren<Dialog*>()) {
            if (dialog->isVisible()) found = dialog;
        }
        return found != nullptr;
    });
    return found;
}

CMiniTermDlg* Terminal(Session& session) {
    return WaitForDialog<CMiniTermDlg>(session, session.App().Window());
}

// Typed as the user types: one key press per character, Enter for a carriage return.
void Type(QWidget* target, const QString& text) {
    for (const QChar c : text) {
        const bool enter = c == '\r';
        QKeyEvent press(QEvent::KeyPress, enter ? Qt::Key_Return : Qt::Key_unknown, Qt::NoModifier,
                        QString(c));
        QCoreApplication::sendEvent(target, &press);
    }
}

const ShotRegistrar kTerminal({40, "mini-terminal.png", [](Session& session) {
                                   auto* start =
                                       session.App().Window().findChild<QPushButton*>("id1012");
                                   if (!start) return false;
                                   start->click();
                                   CMiniTermDlg* terminal = Terminal(session);
                                   if (!terminal || !session.WaitUntil([&] {
                                           return terminal->windowTitle().startsWith(
                                               "Mini Terminal open");
                                       }))
                                       return false;
                                   QWidget* text = terminal->findChild<QWidget*>("id1012");
                                   for (const char* line : {"1234 25 27 03 28 6 14 05 *\r",
                                                            "1234 10 1 600 *\r", "1234 97 *\r"}) {
                                       Type(text, line);
                                       session.Settle(400);
                                   }
                                   return session.Save(*terminal);
                               }});

const ShotRegistrar kTransfer(
    {50, "transfer-dialog.png", [](Session& session) {
         CMiniTermDlg* terminal = Terminal(session);
         if (!terminal) return false;
         terminal->findChild<QPushButton*>("id1021")->click();
         auto* files = WaitForDialog<QFileDialog>(session, *terminal);
         if (!files) return false;
         // A file where a user keeps programs, not in this checkout, so the shot names no
         // build machine's folders.
         const QString folder = QDir::tempPath() + "/programs";
         const QString program = folder + "/demo.orv";
         QDir().mkpath(folder);
         QFile::remove(program);
         QFile::copy(QString(ZENTRIP_SOURCE_DIR) + "/examples/demo.orv", program);
         files->selectFile(program);
         static_cast<QDialog*>(files)->accept();  // QFileDialog hides its override
         auto* transfer = WaitForDialog<CXferDlg>(session, *terminal);
         if (!transfer) return false;
         auto* button = transfer->findChild<QPushButton*>("id1021");
         if (!session.WaitUntil([&] { return button->text() == "CLOSE"; })) return false;
         session.Settle();
         const bool saved = session.Save(*transfer);
         button->click();
         session.Settle();
         terminal->findChild<QPushButton*>("id2")->click();
         QFile::remove(program);
         QDir().rmdir(folder);
         return saved && session.WaitUntil([&] { return !terminal->isVisible(); });
     }});

}  // namespace

}  // namespace zentrip::shots
