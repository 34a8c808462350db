// The Mini Terminal window under load and with a device that vanishes, offscreen:
//   1 MiB of text streamed from a pseudo-terminal at full speed into the open terminal: the
//   rate (at least 1 MiB/s), nothing lost (the terminal ends holding a tail of the stream as
//   the display rules keep it, and its view shows exactly that), and the window thread's
//   longest stall meanwhile, seen by a 5 ms heartbeat timer (at most 50 ms);
//   the device pulled while open: how soon the title says so (within 1 s), the CPU the whole
//   process uses while it is gone (under 1% of one core), and how soon the title names the
//   new pseudo-terminal at its path as a different device (within 1 s): a pseudo-terminal that
//   vanished never returns, its number may be another program's.
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/mini_term/mini_term_dlg.h"
#include "app/mini_term/term_edit.h"
#include "app/mini_term/term_fixture.h"
#include "bench/terminal_stream.h"
#include "platform/pseudo_terminal.h"
#include "terminal/term_texts.h"
#include "tests/support/qt_wait.h"
#include "tests/support/temp_dir.h"

namespace zentrip {
namespace {

using testing::RunEventsUntil;
using testing::SettingsFor;
using testing::Shown;
using testing::Title;

constexpr std::size_t kStreamBytes = 1 << 20;
constexpr int kGoneSeconds = 5;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::string TextStream() {
    std::string text;
    char line[80];
    for (int n = 0; text.size() < kStreamBytes; ++n) {
        std::snprintf(line, sizeof line, "%07d The quick brown fox jumps over the lazy dog.\r\n",
                      n);
        text += line;
    }
    text.resize(kStreamBytes);
    return text;
}

bool Stream() {
    PseudoTerminal line;
    CMiniTermDlg dialog(SettingsFor(line.SlavePath(), 1, 115200));
    auto* term = dialog.findChild<CTermEdit*>("id1012");
    if (!bench::OpenAndWait(dialog)) {
        std::printf("the terminal did not open\n");
        return false;
    }

    const std::string stream = TextStream();
    const std::string tail = stream.substr(stream.size() - 64);
    // Done when the view shows the stream's end (the view follows the text in batches).
    const std::string shownTail = CTermDisplay::DisplayForm(tail);
    const QString viewTail = QString::fromLatin1(shownTail.data(), qsizetype(shownTail.size()));
    const bench::StreamFigures figures = bench::StreamInto(
        line, stream, [&] { return Shown(term).endsWith(viewTail); }, 30000);
    const double seconds = figures.seconds;
    const qint64 longestStall = figures.longestStallMs;

    // The view shows an end of the stream, at least its last kKeep characters.
    const QByteArray shownBytes = Shown(term).toLatin1();
    const std::string shown(shownBytes.constData(), static_cast<std::size_t>(shownBytes.size()));
    const std::string kept =
        CTermDisplay::DisplayForm(stream.substr(stream.size() - CTermDisplay::kKeep));
    const bool isTail = shown.size() >= kept.size();
    const bool viewMatches = CTermDisplay::DisplayForm(stream).ends_with(shown);
    const double rate = double(kStreamBytes) / double(1 << 20) / seconds;
    std::printf("Mini Terminal: 1 MiB of text from a pseudo-terminal at full speed\n");
    std::printf("  %.3f s, %.2f MiB/s (at least 1 MiB/s)\n", seconds, rate);
    std::printf("  longest stall of the window thread (%d ms heartbeat): %lld ms (at most 50)\n",
                bench::kHeartbeatMs, static_cast<long long>(longestStall));
    std::printf("  the terminal shows the stream's last %zu characters: %s; they are its end: %s\n",
                shown.size(), isTail ? "yes" : "NO", viewMatches ? "yes" : "NO");
    return figures.arrived && isTail && viewMatches && rate >= 1.0 && longestStall <= 50;
}

bool PullAndReturn() {
    const testing::TempDir dir("mini-term-bench-");
    const std::string link = dir.Path("ttyUSB0");
    auto first = std::make_unique<PseudoTerminal>();
    if (symlink(first->SlavePath().c_str(), link.c_str()) != 0) return false;
    CMiniTermDlg dialog(SettingsFor(link, 1, 115200));
    if (!bench::OpenAndWait(dialog)) return false;

    QElapsedTimer clock;
    clock.start();
    unlink(link.c_str());
    first->CloseMaster();
    const QString lost = Title(TerminalLostTitle(link, "Input/output error"));
    const bool reported = RunEventsUntil([&] { return dialog.windowTitle() == lost; }, 5000);
    const qint64 reportMs = clock.elapsed();

    // Gone: the event loop left alone, nothing polled by this program.
    const double cpuBefore = CpuSeconds();
    QElapsedTimer gone;
    gone.start();
    QEventLoop idle;
    QTimer::singleShot(kGoneSeconds * 1000, &idle, &QEventLoop::quit);
    idle.exec();
    const double cpuPercent = 100.0 * (CpuSeconds() - cpuBefore) / (double(gone.elapsed()) / 1e3);

    PseudoTerminal second;
    clock.restart();
    if (symlink(second.SlavePath().c_str(), link.c_str()) != 0) return false;
    const QString other = Title(TerminalOtherDeviceTitle(link, "Input/output error"));
    const bool named = RunEventsUntil([&] { return dialog.windowTitle() == other; }, 5000);
    const qint64 namedMs = clock.elapsed();

    std::printf("Mini Terminal: serial device pulled while open\n");
    std::printf("  reported after %lld ms (within 1000)\n", static_cast<long long>(reportMs));
    std::printf("  CPU while gone: %.3f%% of one core over %d s (under 1%%)\n", cpuPercent,
                kGoneSeconds);
    std::printf("  another device at its path named after %lld ms (within 1000)\n",
                static_cast<long long>(namedMs));
    return reported && named && reportMs <= 1000 && namedMs <= 1000 && cpuPercent < 1.0;
}

}  // namespace
}  // namespace zentrip

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const bool streamed = zentrip::Stream();
    const bool pulled = zentrip::PullAndReturn();
    return streamed && pulled ? 0 : 1;
}
