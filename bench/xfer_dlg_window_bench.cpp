// 1 MiB received through the transfer dialog, as the Mini Terminal runs it (engine on the
// dialog's worker, progress refreshed on the window thread), against `rx -c`, both from `sx`
// behind a pseudo-terminal made by socat. rx runs with its stdin and stdout on the pty, as the
// dialog opens it and as a user runs rx on a serial port: through socat, each of its
// acknowledgements would take an extra hop and slow the reference down. Best of three each;
// the ratio must stay <= 1.15.
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/mini_term/xfer_dlg.h"
#include "bench/transfer_bench.h"
#include "tests/support/qt_wait.h"
#include "tests/support/temp_dir.h"

namespace zentrip {
namespace {

using bench::StartSx;
using testing::TempDir;

constexpr std::size_t kFileSize = 1 << 20;
constexpr int kRounds = 3;

// rx -c on the sender's pty, from its start to its exit; negative when it failed.
double ReferenceSeconds(const std::string& dir) {
    const auto sender = StartSx(dir);
    if (!sender) return -1;
    QElapsedTimer clock;
    clock.start();
    const int code = bench::RunRx(dir, sender->TtyPath(), "ref.bin", 120);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    const bool same = TempDir::Read(dir + "/ref.bin") == TempDir::Read(dir + "/in.bin");
    return code == 0 && same ? seconds : -1;
}

// The dialog from its opening until its button reads "CLOSE"; negative when it failed.
double DialogSeconds(const std::string& dir) {
    const auto sender = StartSx(dir);
    if (!sender) return -1;
    const std::string out = dir + "/ours.bin";
    CSerialPort port;
    port.SetDevicePathFn([&](int) { return sender->TtyPath(); });
    CXferDlg dialog(TransferMode::kXmodemReceive, &port, 1, 115200, out);
    auto* button = dialog.findChild<QPushButton*>("id1021");
    QElapsedTimer clock;
    clock.start();
    dialog.open();
    testing::RunEventsUntil([&] { return button->text() == "CLOSE"; }, 120000);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    const bool same = TempDir::Read(out) == TempDir::Read(dir + "/in.bin");
    button->click();
    return button->text() == "CLOSE" && same && sender->Wait(10000) ? seconds : -1;
}

}  // namespace
}  // namespace zentrip

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const zentrip::TempDir temp("xfer-dlg-bench-");
    zentrip::bench::FreshUserInput(temp.Path(), zentrip::kFileSize, 7);

    double reference = 1e9;
    double dialog = 1e9;
    bool ok = true;
    for (int round = 0; round < zentrip::kRounds; ++round) {
        const double rx = zentrip::ReferenceSeconds(temp.Path());
        const double ours = zentrip::DialogSeconds(temp.Path());
        ok = ok && rx > 0 && ours > 0;
        if (rx > 0) reference = std::min(reference, rx);
        if (ours > 0) dialog = std::min(dialog, ours);
    }
    std::printf("1 MiB from sx over a pty, best of %d\n", zentrip::kRounds);
    std::printf("  rx -c:                      %6.2f s\n", reference);
    std::printf("  transfer dialog's receive:  %6.2f s   ratio %.2f (at most 1.15)\n", dialog,
                dialog / reference);
    std::printf("  files identical: %s\n", ok ? "yes" : "NO");
    return ok && dialog <= 1.15 * reference ? 0 : 1;
}
