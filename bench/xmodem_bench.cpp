// XMODEM over a pseudo-terminal, 1 MiB each way, against the lrzsz reference tools:
//   receive: our Receive from `sx`, against `rx -c` from `sx` (the ratio must stay <= 1.5);
//   transmit: our Transmit to `rx -c`, against the floor that the 10 ms purge before each of
//   the 8,192 blocks sets (81.92 s; the ratio must stay <= 1.15).
// socat makes the pty and bridges each tool to it through a socketpair. Prints both ratios.
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "link/serial_port.h"
#include "terminal/xmodem.h"
#include "tests/support/temp_dir.h"

namespace {

using zentrip::testing::TempDir;
using Clock = std::chrono::steady_clock;
constexpr std::size_t kFileSize = 1 << 20;
constexpr double kPurgeFloorSeconds = 8192 * 0.010;

// socat with the given two addresses, run in `dir`, its output in dir/socat.log.
pid_t StartSocat(const std::string& dir, const std::string& first, const std::string& second) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    const std::string log = dir + "/socat.log";
    FILE* out = std::fopen(log.c_str(), "a");
    if (!out || chdir(dir.c_str()) != 0) _exit(127);
    dup2(fileno(out), STDERR_FILENO);
    execlp("socat", "socat", first.c_str(), second.c_str(), static_cast<char*>(nullptr));
    _exit(127);
}

bool WaitFor(pid_t pid, int seconds) {
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return false;
}

void WaitForPath(const std::string& path) {
    struct stat info {};
    for (int i = 0; i < 500 && stat(path.c_str(), &info) != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// sx behind a fresh pty, given time to start: it discards what arrives while it does.
pid_t StartSender(const std::string& dir, const std::string& tty) {
    std::filesystem::remove(tty);
    const pid_t pid = StartSocat(dir, "PTY,link=" + tty + ",raw,echo=0", "EXEC:sx in.bin");
    WaitForPath(tty);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return pid;
}

}  // namespace

int main() {
    const TempDir temp("xmodem-bench-");
    const std::string dir = temp.Path();
    const std::string tty = dir + "/tty";
    std::string data(kFileSize, '\0');
    std::mt19937 random(7);
    for (char& c : data) c = static_cast<char>(random());
    std::ofstream(dir + "/in.bin", std::ios::binary) << data;
    bool ok = true;

    // sx to rx -c.
    pid_t sender = StartSender(dir, tty);
    auto start = Clock::now();
    const pid_t rx = StartSocat(dir, "FILE:" + tty + ",raw,echo=0", "EXEC:rx -c ref.bin");
    ok &= WaitFor(rx, 120);
    const double reference = Since(start);
    ok &= WaitFor(sender, 10) && TempDir::Read(dir + "/ref.bin") == data;

    // sx to our Receive.
    sender = StartSender(dir, tty);
    zentrip::CSerialPort port;
    port.SetDevicePathFn([&](int) { return tty; });
    zentrip::CXmodem receiver(&port, 1, 115200);
    start = Clock::now();
    int result = receiver.Receive(dir + "/ours.bin");
    const double ours = Since(start);
    port.Close();
    ok &= result == zentrip::kXmodemSuccess && WaitFor(sender, 10) &&
          TempDir::Read(dir + "/ours.bin") == data;

    // Our Transmit to rx -c.
    std::filesystem::remove(tty);
    const pid_t peer = StartSocat(dir, "PTY,link=" + tty + ",raw,echo=0", "EXEC:rx -c sent.bin");
    WaitForPath(tty);
    zentrip::CXmodem transmitter(&port, 1, 115200);
    transmitter.SetMode(zentrip::CXmodem::kModeUnchosen);
    start = Clock::now();
    result = transmitter.Transmit(dir + "/in.bin");
    const double sent = Since(start);
    port.Close();
    ok &= result == zentrip::kXmodemSuccess && WaitFor(peer, 20) &&
          TempDir::Read(dir + "/sent.bin") == data;

    std::printf("1 MiB over a pty\n");
    std::printf("  sx -> rx -c:           %7.2f s\n", reference);
    std::printf("  sx -> our Receive:     %7.2f s   ratio %.2f (limit 1.50)\n", ours,
                ours / reference);
    std::printf(
        "  our Transmit -> rx -c: %7.2f s   ratio %.3f to the %.2f s purge floor "
        "(limit 1.15)\n",
        sent, sent / kPurgeFloorSeconds, kPurgeFloorSeconds);
    std::printf("  files identical: %s\n", ok ? "yes" : "NO");
    return ok ? 0 : 1;
}
