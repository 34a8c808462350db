// XMODEM over a pseudo-terminal, 1 MiB each way, against the lrzsz reference tools, run the way
// a user runs them: the sender starts on one end of a pty pair, then the receiving command on
// the other, timed from its start to its exit.
//   receive: `zentrip-cli receive --device` from `sx`, against `rx -c` from `sx`, best of 3
//     each (the ratio must stay <= 1.15), and the read calls zentrip-cli makes for it, counted
//     by strace in a run of its own (-1 without strace);
//   transmit: `zentrip-cli send` to `rx -c`, against `sx` to `rx -c` on the same kind of line
//     (best of 3) plus the 10 ms purge that Zentrip makes before each of the 8,192 blocks (81.92 s): the
//     ratio must stay <= 1.15.
// socat makes the pty and bridges sx (and, for transmit, rx) to it through a socketpair
// (tests/support). The reference receive runs rx with its stdin and stdout on the pty, as
// zentrip-cli opens it and as a user runs rx on a serial port: through socat, each of its
// acknowledgements would take an extra hop and slow the reference down.
// The exit status is 0 when every file arrived whole and both ratios kept their limit.
// usage: xmodem_bench [--receive-only]
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "bench/transfer_bench.h"
#include "tests/support/lrzsz_peer.h"
#include "tests/support/temp_dir.h"

namespace {

using zentrip::testing::FindProgram;
using zentrip::testing::LrzszPeer;
using zentrip::testing::TempDir;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kFileSize = 1 << 20;
constexpr int kRuns = 3;
constexpr double kPurgeFloorSeconds = 8192 * 0.010;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool Run(const std::vector<std::string>& argv, const std::string& dir, int timeoutS) {
    return zentrip::bench::RunLogged(argv, dir, timeoutS) == 0;
}

// `rx -c out` behind a fresh pty, dir/tty, then `send` of in.bin to it, timed; -1 when the
// file did not arrive whole.
double SendToRx(const std::string& dir, const std::string& out, const std::string& data,
                const std::function<bool(const std::string& tty)>& send) {
    std::remove((dir + "/tty").c_str());
    std::remove((dir + "/" + out).c_str());
    LrzszPeer receiver(dir, {"rx", "-c", out});
    if (!receiver.Ready(5000)) return -1;
    const auto start = Clock::now();
    const bool sent = send(dir + "/tty");
    const double seconds = Since(start);
    return sent && receiver.Wait(20000) && TempDir::Read(dir + "/" + out) == data ? seconds : -1;
}

// `sx in.bin` with stdin and stdout on the terminal, as a user runs it on a serial port.
bool RunSx(const std::string& dir, const std::string& tty) {
    const int line = open(tty.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (line < 0) return false;
    const int code = zentrip::bench::RunLogged({FindProgram("sx"), "in.bin"}, dir, 300, line, line);
    close(line);
    return code == 0;
}

// `sx in.bin` behind a fresh pty in dir, then `receive` into dir/out, timed; -1 when the
// transfer failed, the file differs, or (with senderEnds) sx did not end.
double ReceiveFromSx(const std::string& dir,
                     const std::function<bool(const std::string& tty)>& receive,
                     const std::string& out, const std::string& data, bool senderEnds = true) {
    std::remove((dir + "/" + out).c_str());
    const auto sender = zentrip::bench::StartSx(dir);
    if (!sender) return -1;
    const auto start = Clock::now();
    const bool ok = receive(sender->TtyPath());
    const double seconds = Since(start);
    const bool ended = !senderEnds || sender->Wait(10000);
    return ok && ended && TempDir::Read(dir + "/" + out) == data ? seconds : -1;
}

std::vector<std::string> ZentripReceive(const std::string& dir, const std::string& out) {
    return {ZENTRIP_CLI, "receive", "--device", dir + "/tty", "--rate", "115200", out};
}

// The calls column of strace's summary line for read.
long ReadCalls(const std::string& summary) {
    std::istringstream lines(summary);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string word; fields >> word;) words.push_back(word);
        if (words.size() >= 5 && words.back() == "read") return std::stol(words[3]);
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool receiveOnly = argc > 1 && std::strcmp(argv[1], "--receive-only") == 0;
    const TempDir temp("xmodem-bench-");
    const std::string dir = temp.Path();
    const std::string data = zentrip::bench::FreshUserInput(dir, kFileSize, 7);
    bool ok = true;

    double reference = 1e9;
    double ours = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        const double rx = ReceiveFromSx(
            dir,
            [&](const std::string& tty) {
                return zentrip::bench::RunRx(dir, tty, "ref.bin", 120) == 0;
            },
            "ref.bin", data, false);
        const double zentrip = ReceiveFromSx(
            dir, [&](const std::string&) { return Run(ZentripReceive(dir, "ours.bin"), dir, 120); },
            "ours.bin", data);
        std::printf("  run %d: rx -c %6.2f s, zentrip-cli receive %6.2f s\n", run + 1, rx, zentrip);
        ok &= rx > 0 && zentrip > 0;
        if (rx > 0) reference = std::min(reference, rx);
        if (zentrip > 0) ours = std::min(ours, zentrip);
    }
    long reads = -1;
    if (!FindProgram("strace").empty()) {
        std::vector<std::string> traced{FindProgram("strace"), "-f", "-c", "-e", "trace=read", "-o",
                                        dir + "/strace.txt"};
        for (const auto& arg : ZentripReceive(dir, "traced.bin")) traced.push_back(arg);
        ok &= ReceiveFromSx(
                  dir, [&](const std::string&) { return Run(traced, dir, 120); }, "traced.bin",
                  data) > 0;
        reads = ReadCalls(TempDir::Read(dir + "/strace.txt"));
    }

    std::printf("1 MiB from sx over a pty, best of %d\n", kRuns);
    std::printf("  rx -c:               %7.2f s\n", reference);
    std::printf("  zentrip-cli receive: %7.2f s   ratio %.2f (limit 1.15)\n", ours,
                ours / reference);
    std::printf("  read calls of zentrip-cli receive (strace -f -c): %ld\n", reads);

    bool sendKept = true;
    if (!receiveOnly) {
        double sx = 1e9;
        for (int run = 0; run < kRuns; ++run) {
            const double once = SendToRx(dir, "ref-sent.bin", data,
                                         [&](const std::string& tty) { return RunSx(dir, tty); });
            ok &= once > 0;
            if (once > 0) sx = std::min(sx, once);
        }
        const double sent = SendToRx(dir, "sent.bin", data, [&](const std::string& tty) {
            return Run({ZENTRIP_CLI, "send", "--device", tty, "--rate", "115200", "in.bin"}, dir,
                       300);
        });
        ok &= sent > 0;
        const double expected = sx + kPurgeFloorSeconds;
        sendKept = sent <= 1.15 * expected;
        std::printf("1 MiB to rx -c over a pty (sx best of %d)\n", kRuns);
        std::printf("  sx:                  %7.2f s, plus Zentrip's purges %.2f s: %.2f s\n", sx,
                    kPurgeFloorSeconds, expected);
        std::printf("  zentrip-cli send:    %7.2f s   ratio %.3f (limit 1.15)\n", sent,
                    sent / expected);
    }
    std::printf("  files identical: %s\n", ok ? "yes" : "NO");
    return ok && ours <= 1.15 * reference && sendKept ? 0 : 1;
}
