#include "tests/support/pty_relay.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <random>
#include <thread>

namespace zentrip::testing {

namespace {

void MakeRaw(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return;
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
}

int OpenRaw(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) MakeRaw(fd);
    return fd;
}

bool WriteAll(int fd, const char* data, std::size_t n) {
    while (n > 0) {
        const ssize_t w = write(fd, data, n);
        if (w > 0) {
            data += w;
            n -= static_cast<std::size_t>(w);
        } else if (w < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        } else {
            pollfd pfd{fd, POLLOUT, 0};
            poll(&pfd, 1, 20);
        }
    }
    return true;
}

}  // namespace

PtyRelay::PtyRelay(const std::string& farTty, int oneIn, unsigned pattern,
                   std::uint32_t bitsPerSecond)
    : m_far(OpenRaw(farTty)) {
    if (!Ok()) return;
    const int master = m_line.MasterFd();
    m_fromFar = std::thread([=, this] { Relay(m_far, master, oneIn, pattern, bitsPerSecond); });
    m_toFar = std::thread([=, this] { Relay(master, m_far, 0, 0, bitsPerSecond); });
}

PtyRelay::~PtyRelay() {
    m_stop = true;
    if (m_fromFar.joinable()) m_fromFar.join();
    if (m_toFar.joinable()) m_toFar.join();
    if (m_far >= 0) close(m_far);
}

void PtyRelay::Relay(int from, int to, int oneIn, unsigned pattern, std::uint32_t bitsPerSecond) {
    using Clock = std::chrono::steady_clock;
    std::mt19937 random(pattern);
    std::uniform_int_distribution<int> pick(0, oneIn > 0 ? oneIn - 1 : 0);
    std::uniform_int_distribution<int> bit(0, 7);
    const auto charTime = std::chrono::microseconds(bitsPerSecond ? 10'000'000 / bitsPerSecond : 0);
    auto lineFree = Clock::now();
    char buffer[4096];
    while (!m_stop) {
        pollfd pfd{from, POLLIN, 0};
        if (poll(&pfd, 1, 20) <= 0) continue;
        const ssize_t n = (pfd.revents & POLLIN) ? read(from, buffer, sizeof buffer) : -1;
        if (n <= 0) {
            // A side that went away leaves nothing to relay; avoid spinning on its hang-up.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue;
        }
        for (ssize_t i = 0; i < n; ++i) {
            if (oneIn > 0 && pick(random) == 0) {
                buffer[i] = static_cast<char>(buffer[i] ^ (1 << bit(random)));
                ++m_corrupted;
            }
        }
        if (bitsPerSecond == 0) {
            WriteAll(to, buffer, static_cast<std::size_t>(n));
            continue;
        }
        for (ssize_t i = 0; i < n && !m_stop; ++i) {
            lineFree = std::max(lineFree, Clock::now()) + charTime;
            std::this_thread::sleep_until(lineFree);
            WriteAll(to, buffer + i, 1);
        }
    }
}

RawTty::RawTty(const std::string& path) : m_fd(OpenRaw(path)) {}

RawTty::~RawTty() {
    if (m_fd >= 0) close(m_fd);
}

void RawTty::Write(const std::string& bytes) { WriteAll(m_fd, bytes.data(), bytes.size()); }

std::string RawTty::Read(std::size_t count, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string got;
    char buffer[4096];
    while (got.size() < count) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) break;
        pollfd pfd{m_fd, POLLIN, 0};
        if (poll(&pfd, 1, static_cast<int>(left.count())) <= 0) continue;
        const ssize_t n = read(m_fd, buffer, std::min(sizeof buffer, count - got.size()));
        if (n > 0)
            got.append(buffer, static_cast<std::size_t>(n));
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return got;
}

}  // namespace zentrip::testing
