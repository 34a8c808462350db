// Big program files shown in the main window, offscreen, in real time: a 20 MB file and a
// 300,000-line file each become the working file as "Select..." makes one, and the bench
// waits until the editor shows all of it. It prints, per file, the longest gap between ticks
// of a 5 ms heartbeat timer on the window thread (how long the window stalled; limit 100 ms)
// and the peak resident memory while the file was shown, above what the process held before
// (limit 20 times the file's size). Each file is shown in a process of its own, so neither
// sees the other's heap. It exits 1 when a limit is missed.
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/main_window/programmer_dlg.h"
#include "bench/idle_window.h"
#include "sim/fake_serial_line.h"
#include "tests/support/qt_wait.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace zentrip;

constexpr qint64 kStallLimitMs = 100;
constexpr double kMemoryLimit = 20.0;  // times the file's size

// A /proc/self/status field in kB.
long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    }
    return -1;
}

// Starts a new peak: the kernel's high-water mark becomes the current resident size.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

std::string WriteProgram(const std::string& path, std::size_t bytes, std::size_t lines) {
    std::ofstream file(path, std::ios::binary);
    std::size_t written = 0;
    for (std::size_t i = 0; (bytes && written < bytes) || (lines && i < lines); ++i) {
        const std::string line = "1234 79 " + std::to_string(i % 1000) + " 015 *\n";
        file << line;
        written += line.size();
    }
    return path;
}

// Shows `path` in a fresh window; false when it never got there or a limit was missed.
bool ShowBigFile(const std::string& what, const std::string& path) {
    bench::IdleWindow idle;
    if (!idle.Show()) return false;
    CProgrammerDlg& window = idle.window;
    auto* editor = window.findChild<QPlainTextEdit*>("id1001");
    const double fileMb = static_cast<double>(std::ifstream(path, std::ios::ate).tellg()) / 1e6;
    std::ifstream counting(path);
    const int lines = static_cast<int>(std::count(std::istreambuf_iterator<char>(counting),
                                                  std::istreambuf_iterator<char>(), '\n'));

    QElapsedTimer clockReal;
    clockReal.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        longest = std::max(longest, clockReal.elapsed() - last);
        last = clockReal.elapsed();
    });
    const long before = StatusKb("VmRSS:");
    ResetPeak();
    heartbeat.start(5);
    last = clockReal.elapsed();
    window.SetStartingFile(path);
    const bool shown = testing::RunEventsUntil(
        [&] { return editor->document()->blockCount() == lines + 1; }, 120000);
    heartbeat.stop();
    const double peakMb = static_cast<double>(StatusKb("VmHWM:") - before) / 1e3;
    const double ratio = peakMb / fileMb;
    std::printf(
        "%s: %.1f MB, %d lines shown in %lld ms; longest window stall %lld ms (limit %lld); "
        "peak memory %.0f MB above the start, %.1f times the file (limit %.0f)\n",
        what.c_str(), fileMb, lines, static_cast<long long>(clockReal.elapsed()),
        static_cast<long long>(longest), static_cast<long long>(kStallLimitMs), peakMb, ratio,
        kMemoryLimit);
    window.CloseAsSystemCommand();
    testing::RunEventsUntil([&] { return !window.isVisible() && !window.SerialWorkBusy(); },
                            10000);
    std::fflush(stdout);
    return shown && longest <= kStallLimitMs && ratio < kMemoryLimit;
}

// Runs `show` in a child process; whether it succeeded.
template <typename Show>
bool InChild(Show show) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) std::_Exit(show() ? 0 : 1);
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const testing::TempDir folder("zentrip-big-file-bench-");
    setenv("XDG_CONFIG_HOME", folder.Path().c_str(), 1);
    const std::string big = WriteProgram(folder.Path("big.orv"), 20'000'000, 0);
    const std::string lines = WriteProgram(folder.Path("lines.orv"), 0, 300'000);
    auto show = [&](const char* what, const std::string& path) {
        return InChild([&] {
            QApplication application(argc, argv);
            return ShowBigFile(what, path);
        });
    };
    const bool bigShown = show("20 MB file", big);
    const bool linesShown = show("300,000 lines", lines);
    return bigShown && linesShown ? 0 : 1;
}
