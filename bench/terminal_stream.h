// The Mini Terminal benches' stream: bytes written from a pseudo-terminal's far end at full
// speed while a 5 ms heartbeat timer watches the window thread, until the terminal shows
// what `done` looks for. And the terminal opened on COM1 at 115200 bps, as they open it.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "app/mini_term/mini_term_dlg.h"
#include "app/mini_term/term_fixture.h"
#include "platform/pseudo_terminal.h"
#include "terminal/term_texts.h"
#include "tests/support/qt_wait.h"

namespace zentrip::bench {

inline constexpr int kHeartbeatMs = 5;

// Opens the terminal; false when its title does not come to say it is open.
inline bool OpenAndWait(CMiniTermDlg& dialog) {
    dialog.open();
    return testing::RunEventsUntil(
        [&] { return dialog.windowTitle() == testing::Title(TerminalOpenTitle(1, 115200)); },
        10000);
}

struct StreamFigures {
    bool arrived = false;
    double seconds = 0;
    qint64 longestStallMs = 0;
};

inline StreamFigures StreamInto(PseudoTerminal& line, const std::string& stream,
                                const std::function<bool()>& done, int timeoutMs) {
    StreamFigures figures;
    QElapsedTimer sinceBeat;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        figures.longestStallMs = std::max(figures.longestStallMs, sinceBeat.restart());
    });
    std::atomic<bool> written{false};
    QElapsedTimer clock;
    clock.start();
    sinceBeat.start();
    heartbeat.start(kHeartbeatMs);
    std::thread feeder([&] {
        line.WriteMaster(stream, 10000);
        written = true;
    });
    figures.arrived = testing::RunEventsUntil([&] { return written && done(); }, timeoutMs);
    figures.seconds = double(clock.nsecsElapsed()) / 1e9;
    heartbeat.stop();
    feeder.join();
    return figures;
}

}  // namespace zentrip::bench
