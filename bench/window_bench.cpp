// The main window at work, in real time, offscreen: Zentrip starts as `zentrip --simulate
// FILE` does, with FILE a 100-line direct program, and the bench presses "Program from File"
// three times. It prints:
//   - the time from the process's start to the window's first paint (the modem set-up runs
//     on the worker meanwhile and must not delay it);
//   - per run, the longest gap between ticks of a 5 ms heartbeat timer on the window thread
//     (how long the window stalled);
//   - per run, the time from line 1 to the end of the file as the "Line Number" field shows
//     it, against the waits the direct exchange prescribes for those lines (see
//     direct_program.h), and the whole run against those waits plus its fixed pauses;
//   - the longest stall while a 10,000-line direct run in virtual time (no pauses: the lines
//     arrive as fast as the worker makes them) fills the results pane past its 128000-character
//     cut.
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "app/program/programmer_app.h"
#include "bench/direct_program.h"
#include "bench/heartbeat.h"
#include "sim/fake_line_simulator.h"
#include "sim/fake_serial_line.h"
#include "sim/simulator.h"
#include "tests/support/qt_wait.h"
#include "tests/support/temp_dir.h"
#include "text/edit_writer.h"

namespace {

using namespace zentrip;
using bench::Heartbeat;

// Milliseconds since boot, on the clock the kernel dates process starts with.
double BootMs() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

// When this process started, in ms since boot (the kernel keeps it in clock ticks).
double ProcessStartMs() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 22; ++i) fields >> field;  // field 22: starttime
    return std::stod(field) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Whether the run just over ended as a complete direct run does: the results pane, which shows
// the run's text in steps, comes to its last line within a while.
bool RunCompleted(const CProgrammerDlg& window) {
    const auto* results = window.findChild<QPlainTextEdit*>("id1013");
    return testing::RunEventsUntil(
        [&] {
            return results->toPlainText().endsWith("Programming complete with 00000 total errors");
        },
        10000);
}

// A 10,000-line direct run on the fake line in virtual time; false when it went wrong.
bool LongRun(const testing::TempDir& folder, Heartbeat& heartbeat) {
    VirtualClock clock;
    FakeSerialLine line(clock);
    FakeSerialOpener opener(line);
    std::string error;
    sim::AttachSimulator(line, sim::Simulator::Create({}, &error));
    const std::string program = folder.Path("long.orv");
    {
        std::ofstream file(program);
        for (int i = 0; i < 10000; ++i) file << "1234 79 " << i << " *\n";
    }
    CProgrammerDlg window(WindowServices{&clock, &opener, {}});
    window.SetStartingFile(program);
    window.findChild<QCheckBox*>("id1011")->setChecked(true);
    window.show();
    if (!testing::RunEventsUntil([&] { return !window.SerialWorkBusy(); }, 20000)) return false;
    heartbeat.Start();
    const qint64 start = heartbeat.Now();
    window.findChild<QPushButton*>("id1000")->click();
    const bool ended = testing::RunEventsUntil([&] { return !window.SerialWorkBusy(); }, 300000);
    const qint64 took = heartbeat.Now() - start;
    const qint64 stall = heartbeat.Stop();
    if (!ended || !RunCompleted(window)) return false;
    const int shown = window.findChild<QPlainTextEdit*>("id1013")->document()->characterCount();
    std::printf(
        "10,000 lines in virtual time: %lld ms, longest window stall %lld ms, results pane "
        "%d characters shown (cut at %zu)\n",
        static_cast<long long>(took), static_cast<long long>(stall), shown,
        CEditWriter::kKeptLength);
    window.CloseAsSystemCommand();
    return testing::RunEventsUntil([&] { return !window.isVisible() && !window.SerialWorkBusy(); },
                                   10000);
}

class FirstPaint final : public QObject {
public:
    double shownMs = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && shownMs == 0) shownMs = BootMs();
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    const double processStart = ProcessStartMs();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const testing::TempDir folder("zentrip-window-bench-");
    setenv("XDG_CONFIG_HOME", folder.Path().c_str(), 1);
    setenv("XDG_STATE_HOME", folder.Path().c_str(), 1);  // its runs leave their records here
    const std::string program = folder.Path("direct.orv");
    const std::uint64_t prescribed = bench::WriteDirectProgram(program);
    QApplication application(argc, argv);

    FirstPaint firstPaint;
    CProgrammerApp app({"--simulate", program});
    if (!app.Ok()) return 1;
    CProgrammerDlg& window = app.Window();
    window.installEventFilter(&firstPaint);
    if (!testing::RunEventsUntil([&] { return firstPaint.shownMs > 0 && !window.SerialWorkBusy(); },
                                 20000)) {
        std::fprintf(stderr, "window_bench: the start-up did not end\n");
        return 1;
    }
    std::printf("process start to window first shown: %.0f ms (clock ticks of %.0f ms)\n",
                firstPaint.shownMs - processStart,
                1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK)));

    Heartbeat heartbeat;
    qint64 firstLine = 0;
    qint64 endLine = 0;
    auto* lineNumber = window.findChild<QLineEdit*>("id1016");
    QObject::connect(lineNumber, &QLineEdit::textChanged, [&](const QString& text) {
        if (text == "00001") firstLine = heartbeat.Now();
        if (text.toInt() == bench::kDirectLines + 1) endLine = heartbeat.Now();
    });
    window.findChild<QCheckBox*>("id1011")->setChecked(true);
    auto* programButton = window.findChild<QPushButton*>("id1000");

    int failures = 0;
    for (int run = 1; run <= 3; ++run) {
        firstLine = endLine = 0;
        heartbeat.Start();
        const qint64 start = heartbeat.Now();
        programButton->click();
        const bool ended = testing::RunEventsUntil([&] { return !window.SerialWorkBusy(); }, 60000);
        const qint64 end = heartbeat.Now();
        const qint64 longestGap = heartbeat.Stop();
        if (!ended || !RunCompleted(window) || endLine == 0) {
            std::fprintf(stderr, "window_bench: run %d did not complete cleanly\n", run);
            ++failures;
            continue;
        }
        const double lines = static_cast<double>(endLine - firstLine);
        const double whole = static_cast<double>(end - start);
        std::printf(
            "run %d: longest window stall %lld ms; 100 lines %.0f ms for %llu ms prescribed, "
            "ratio %.4f; whole run %.0f ms for %llu ms prescribed, ratio %.4f\n",
            run, static_cast<long long>(longestGap), lines,
            static_cast<unsigned long long>(prescribed), lines / static_cast<double>(prescribed),
            whole, static_cast<unsigned long long>(prescribed + bench::kDirectFixedMs),
            whole / static_cast<double>(prescribed + bench::kDirectFixedMs));
    }
    window.CloseAsSystemCommand();
    testing::RunEventsUntil([&] { return !window.isVisible() && !window.SerialWorkBusy(); }, 10000);
    if (!LongRun(folder, heartbeat)) {
        std::fprintf(stderr, "window_bench: the 10,000-line run did not complete cleanly\n");
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
