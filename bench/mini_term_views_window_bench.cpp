// The Mini Terminal with "Show Time" and "Show as Hex" on, offscreen: 1 MiB streamed from a
// pseudo-terminal at full speed, and the window thread's longest stall meanwhile, seen by a
// 5 ms heartbeat timer (at most 50 ms). The terminal must end showing the stream's last hex
// line. Exits non-zero when either misses.
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/mini_term/mini_term_dlg.h"
#include "app/mini_term/term_edit.h"
#include "app/mini_term/term_fixture.h"
#include "bench/terminal_stream.h"
#include "platform/pseudo_terminal.h"
#include "terminal/term_texts.h"
#include "terminal/term_views.h"
#include "tests/support/qt_wait.h"

namespace zentrip {
namespace {

using testing::SettingsFor;

constexpr std::size_t kStreamBytes = 1 << 20;  // whole hex lines of 16

std::string ByteStream() {
    std::string bytes(kStreamBytes, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 256);
    return bytes;
}

// Checks the context menu's entry `text`, as the user does.
bool TurnOn(CTermEdit* term, const QString& text) {
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(5, 5),
                          term->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(term, &key);
    for (QMenu* menu : term->findChildren<QMenu*>()) {
        for (QAction* action : menu->actions()) {
            if (!menu->isVisible() || action->text() != text) continue;
            action->setChecked(true);
            menu->close();
            return true;
        }
    }
    return false;
}

bool Stream() {
    PseudoTerminal line;
    CMiniTermDlg dialog(SettingsFor(line.SlavePath(), 1, 115200));
    auto* term = dialog.findChild<CTermEdit*>("id1012");
    if (!bench::OpenAndWait(dialog) || !TurnOn(term, "Show Time") || !TurnOn(term, "Show as Hex")) {
        std::printf("the terminal did not open with its views on\n");
        return false;
    }

    const std::string stream = ByteStream();
    CHexView lastLine;
    const std::string tail = lastLine.Received(stream.substr(stream.size() - 16), 0) + '\n';
    const std::string shownTail = CTermDisplay::DisplayForm(tail);
    const QString viewTail = QString::fromLatin1(shownTail.data(), qsizetype(shownTail.size()));
    // Done when the view, which follows the text in batches, shows the stream's end.
    const auto done = [&] { return testing::Shown(term).endsWith(viewTail); };
    const bench::StreamFigures figures = bench::StreamInto(line, stream, done, 60000);

    std::printf("Mini Terminal, Show Time and Show as Hex on: 1 MiB from a pseudo-terminal\n");
    std::printf("  %.3f s, %.2f MiB/s; the last hex line shown: %s\n", figures.seconds,
                double(kStreamBytes) / double(1 << 20) / figures.seconds,
                figures.arrived ? "yes" : "NO");
    std::printf("  longest stall of the window thread (%d ms heartbeat): %lld ms (at most 50)\n",
                bench::kHeartbeatMs, static_cast<long long>(figures.longestStallMs));
    return figures.arrived && figures.longestStallMs <= 50;
}

}  // namespace
}  // namespace zentrip

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    return zentrip::Stream() ? 0 : 1;
}
