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

PtyRelay::PtyRelay(const std::string& farTty, int oneIn, unsigned pattern)
    : m_far(OpenRaw(farTty)) {
    if (!Ok()) return;
    m_thread = std::thread([this, oneIn, pattern] { Run(oneIn, pattern); });
}

PtyRelay::~PtyRelay() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    if (m_far >= 0) close(m_far);
}

void PtyRelay::Run(int oneIn, unsigned pattern) {
    const int master = m_line.MasterFd();
    std::mt19937 random(pattern);
    std::uniform_int_distribution<int> pick(0, oneIn - 1);
    std::uniform_int_distribution<int> flip(1, 255);
    char buffer[4096];
    while (!m_stop) {
        pollfd fds[2] = {{m_far, POLLIN, 0}, {master, POLLIN, 0}};
        if (poll(fds, 2, 20) <= 0) continue;
        if (fds[0].revents & POLLIN) {
            const ssize_t n = read(m_far, buffer, sizeof buffer);
            for (ssize_t i = 0; i < n; ++i) {
                if (oneIn > 0 && pick(random) == 0) {
                    buffer[i] = static_cast<char>(buffer[i] ^ flip(random));
                    ++m_corrupted;
                }
            }
            if (n > 0) WriteAll(master, buffer, static_cast<std::size_t>(n));
        }
        if (fds[1].revents & POLLIN) {
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n > 0) WriteAll(m_far, buffer, static_cast<std::size_t>(n));
        }
        // A far side that went away leaves nothing to relay; avoid spinning on its hang-up.
        if ((fds[0].revents & (POLLHUP | POLLERR)) && !(fds[0].revents & POLLIN)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
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
