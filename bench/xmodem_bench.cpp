// XMODEM over a pseudo-terminal, 1 MiB each way, against the lrzsz reference tools, run the way
// a user runs them: the sender starts on one end of a pty pair, then the receiving command on
// the other, timed from its start to its exit.
//   receive: `zentrip-cli receive --device` from `sx`, against `rx -c` from `sx`, best of 3
//     each (the ratio must stay <= 1.15), and the read calls zentrip-cli makes for it, counted
//     by strace in a run of its own (-1 without strace);
//   transmit: `zentrip-cli send` to `rx -c`, against the floor that the 10 ms purge before each
//     of the 8,192 blocks sets (81.92 s; the ratio must stay <= 1.15).
// socat makes the pty and bridges sx (and, for transmit, rx) to it through a socketpair
// (tests/support). The reference receive runs rx with its stdin and stdout on the pty, as
// zentrip-cli opens it and as a user runs rx on a serial port: through socat, each of its
// acknowledgements would take an extra hop and slow the reference down.
// The exit status is 0 when every file arrived whole and the receive ratio kept its limit.
// usage: xmodem_bench [--receive-only]
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

bool Run(const std::vector<std::string>& argv, const std::string& dir, int timeoutS) {
    return zentrip::bench::RunLogged(argv, dir, timeoutS) == 0;
}

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
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

    if (!receiveOnly) {
        std::remove((dir + "/tty").c_str());
        LrzszPeer receiver(dir, {"rx", "-c", "sent.bin"});
        ok &= receiver.Ready(5000);
        const auto start = Clock::now();
        ok &= Run({ZENTRIP_CLI, "send", "--device", dir + "/tty", "--rate", "115200", "in.bin"},
                  dir, 300);
        const double sent = Since(start);
        ok &= receiver.Wait(20000) && TempDir::Read(dir + "/sent.bin") == data;
        std::printf(
            "  zentrip-cli send -> rx -c: %7.2f s   ratio %.3f to the %.2f s purge floor "
            "(limit 1.15)\n",
            sent, sent / kPurgeFloorSeconds, kPurgeFloorSeconds);
    }
    std::printf("  files identical: %s\n", ok ? "yes" : "NO");
    return ok && ours <= 1.15 * reference ? 0 : 1;
}
