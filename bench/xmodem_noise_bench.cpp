// XMODEM receive over a noisy line, side by side with lrzsz: `sx` sends through a relay that
// flips one bit in about 200 of the bytes it sends (tests/support/pty_relay.h), paced at the
// line's rate; `zentrip-cli receive --rate RATE` and then `rx -c` (on the relay's terminal, as
// a user runs it on a serial port, so the status is rx's own) receive from a fresh `sx` through
// the same noise pattern, so the same bytes of the sender's stream are hit for both. Prints one
// row per pattern and the counts of good receives. The bench fails when a receive of
// zentrip-cli fails (the line's noise is one that retries get through) or when a wrong file is
// reported as success.
// usage: xmodem_noise_bench RATE SIZE PATTERNS [--zentrip-only MEDIAN_LIMIT_S]
//   RATE 0 relays at full pty speed (zentrip-cli then gets --rate 115200). With
//   --zentrip-only, rx -c is left out and the median time has a limit too.
//   bench/xmodem_noise.sh runs the three measurements this bench was made for.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/transfer_bench.h"
#include "tests/support/lrzsz_peer.h"
#include "tests/support/pty_relay.h"
#include "tests/support/temp_dir.h"

namespace {

using zentrip::testing::PtyRelay;
using zentrip::testing::TempDir;
using Clock = std::chrono::steady_clock;

constexpr int kOneIn = 200;
constexpr int kRunLimitS = 1800;

struct Outcome {
    int status = -1;
    double seconds = 0;
    bool wrongFile = false;  // reported success, but the file differs
    int flips = 0;
    bool Good() const { return status == 0 && !wrongFile; }
};

// One receive from a fresh `sx` through the relay with noise `pattern`.
Outcome Receive(const std::string& dir, bool zentrip, std::uint32_t rate, unsigned pattern,
                const std::string& expected) {
    std::remove((dir + "/out.bin").c_str());
    Outcome outcome;
    const auto sender = zentrip::bench::StartSx(dir);
    if (!sender) return outcome;
    PtyRelay relay(sender->TtyPath(), kOneIn, pattern, rate);
    if (!relay.Ok()) return outcome;
    const auto start = Clock::now();
    outcome.status =
        zentrip ? zentrip::bench::RunLogged({ZENTRIP_CLI, "receive", "--device", relay.Path(),
                                             "--rate", std::to_string(rate ? rate : 115200),
                                             dir + "/out.bin"},
                                            dir, kRunLimitS)
                : zentrip::bench::RunRx(dir, relay.Path(), "out.bin", kRunLimitS);
    outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    outcome.flips = relay.Corrupted();
    outcome.wrongFile = outcome.status == 0 && TempDir::Read(dir + "/out.bin") != expected;
    sender->Wait(2000);
    return outcome;
}

std::string Describe(const Outcome& o) {
    char text[64];
    std::snprintf(text, sizeof text, "%s %3d %8.1f s", o.Good() ? "ok  " : "FAIL", o.status,
                  o.seconds);
    return o.wrongFile ? std::string(text) + " WRONG FILE" : text;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const bool withRx = argc == 4;
    if (!withRx && !(argc == 6 && std::strcmp(argv[4], "--zentrip-only") == 0)) {
        std::fprintf(stderr, "usage: %s RATE SIZE PATTERNS [--zentrip-only MEDIAN_LIMIT_S]\n",
                     argv[0]);
        return 64;
    }
    const auto rate = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10));
    const auto size = static_cast<std::size_t>(std::strtoul(argv[2], nullptr, 10));
    const int patterns = std::atoi(argv[3]);
    const double medianLimit = withRx ? 0 : std::atof(argv[5]);

    const TempDir temp("xmodem-noise-");
    const std::string dir = temp.Path();
    const std::string data = zentrip::bench::FreshUserInput(dir, size, 11);
    std::string expected = data;  // sx pads the last block with 0x1A
    expected.resize((size + 127) / 128 * 128, '\x1A');

    std::printf("%zu bytes at %s, one bit flipped in about %d bytes from sx\n", size,
                rate ? (std::to_string(rate) + " bps").c_str() : "full pty speed", kOneIn);
    std::printf("pattern  flips  zentrip-cli receive         %s\n", withRx ? "rx -c" : "");
    int ours = 0;
    int theirs = 0;
    int wrong = 0;
    int missed = 0;  // rx -c succeeded where we did not
    std::vector<double> times;
    for (int pattern = 1; pattern <= patterns; ++pattern) {
        const Outcome z = Receive(dir, true, rate, static_cast<unsigned>(pattern), expected);
        Outcome r;
        if (withRx) r = Receive(dir, false, rate, static_cast<unsigned>(pattern), expected);
        std::printf("%7d  %5d  %-26s  %s\n", pattern, z.flips, Describe(z).c_str(),
                    withRx ? Describe(r).c_str() : "");
        std::fflush(stdout);
        ours += z.Good();
        theirs += r.Good();
        wrong += z.wrongFile + r.wrongFile;
        missed += r.Good() && !z.Good();
        times.push_back(z.seconds);
    }
    std::printf("good receives: zentrip-cli %d of %d (all must succeed)", ours, patterns);
    if (withRx)
        std::printf(", rx -c %d of %d; rx -c alone succeeded %d times", theirs, patterns, missed);
    std::printf("\nzentrip-cli median time %.2f s", Median(times));
    if (!withRx) std::printf(" (limit %.2f s)", medianLimit);
    std::printf("; wrong files reported as success: %d\n", wrong);
    const bool fast = withRx || Median(times) <= medianLimit;
    return wrong == 0 && ours == patterns && fast ? 0 : 1;
}
