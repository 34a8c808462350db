#include "sim/pty_simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <deque>

#include "platform/system_error.h"

namespace zentrip::sim {

namespace {

// While no one holds the slave open the master reports a hang-up at once; this is how long
// the thread then waits before it looks again, so it does not spin.
constexpr int kIdlePollMs = 20;

}  // namespace

std::unique_ptr<PtySimulator> PtySimulator::Start(const SimOptions& options, std::string* error,
                                                  TranscriptSink sink) {
    auto simulator = Simulator::Create(options, error);
    if (!simulator) return nullptr;

    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0) {
        if (error) *error = SystemErrorText("posix_openpt", errno);
        return nullptr;
    }
    char name[128];
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        if (error) *error = SystemErrorText("pty", errno);
        close(master);
        return nullptr;
    }
    // Raw from the start (termios set on the master apply to the slave), so nothing is echoed
    // or translated before the first client configures the line itself.
    termios tio{};
    if (tcgetattr(master, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(master, TCSANOW, &tio);
    }
    int wake[2];
    if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (error) *error = SystemErrorText("pipe", errno);
        close(master);
        return nullptr;
    }
    auto pty = std::unique_ptr<PtySimulator>(
        new PtySimulator(std::move(simulator), master, wake[0], wake[1], name, std::move(sink)));
    pty->m_thread = std::thread(&PtySimulator::Serve, pty.get());
    return pty;
}

PtySimulator::PtySimulator(std::unique_ptr<Simulator> simulator, int master, int wakeRead,
                           int wakeWrite, std::string devicePath, TranscriptSink sink)
    : m_simulator(std::move(simulator)),
      m_master(master),
      m_wakeRead(wakeRead),
      m_wakeWrite(wakeWrite),
      m_devicePath(std::move(devicePath)),
      m_sink(std::move(sink)),
      m_start(std::chrono::steady_clock::now()) {}

PtySimulator::~PtySimulator() {
    Stop();
    close(m_master);
    close(m_wakeRead);
    close(m_wakeWrite);
}

void PtySimulator::Stop() {
    if (m_stopped.exchange(true)) return;
    const char byte = 0;
    [[maybe_unused]] const ssize_t w = write(m_wakeWrite, &byte, 1);
    if (m_thread.joinable()) m_thread.join();
}

Transcript PtySimulator::GetTranscript() const {
    std::lock_guard lock(m_mutex);
    return m_simulator->GetTranscript();
}

std::vector<DialRecord> PtySimulator::Dials() const {
    std::lock_guard lock(m_mutex);
    return m_simulator->Modem().Dials();
}

void PtySimulator::WithSimulator(const std::function<void(const Simulator&)>& look) const {
    std::lock_guard lock(m_mutex);
    look(*m_simulator);
}

// A real port loses what it received once it is closed; a pty keeps it for the next client,
// which would then read answers meant for the last one (say the modem's OKs to InitModem as
// the echo of its first line). Opening the slave ourselves to flush it is safe only now:
// no client holds it, so nothing it waits for can be lost.
void PtySimulator::DiscardUnreadReplies() {
    const int fd = open(m_devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    tcflush(fd, TCIFLUSH);
    close(fd);
}

std::uint64_t PtySimulator::NowMs() const {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now() - m_start)
                                          .count());
}

void PtySimulator::Serve() {
    struct Pending {
        std::uint64_t dueMs;
        std::string bytes;
    };
    std::deque<Pending> pending;
    std::size_t transcriptSeen = 0;
    bool connected = false;

    // Hands new transcript entries to the sink outside the lock's critical work.
    const auto flushTranscript = [&] {
        if (!m_sink) return;
        Transcript fresh;
        {
            std::lock_guard lock(m_mutex);
            const Transcript& all = m_simulator->GetTranscript();
            fresh.assign(all.begin() + static_cast<std::ptrdiff_t>(transcriptSeen), all.end());
            transcriptSeen = all.size();
        }
        for (const auto& entry : fresh) m_sink(entry);
    };

    char buffer[4096];
    while (!m_stopped.load()) {
        // Send what is due. Bytes never overtake earlier ones, as on a real line.
        bool blocked = false;
        while (!pending.empty() && pending.front().dueMs <= NowMs()) {
            std::string& bytes = pending.front().bytes;
            const ssize_t w = write(m_master, bytes.data(), bytes.size());
            if (w < 0 && errno == EINTR) continue;
            if (w < 0 && errno == EAGAIN) {
                blocked = true;
                break;
            }
            const std::string sent =
                w > 0 ? bytes.substr(0, static_cast<std::size_t>(w)) : std::string();
            if (w > 0 && static_cast<std::size_t>(w) < bytes.size()) {
                bytes.erase(0, static_cast<std::size_t>(w));
            } else {
                pending.pop_front();  // sent whole, or no one listens (EIO): the bytes are gone
            }
            std::lock_guard lock(m_mutex);
            m_simulator->NoteSent(sent, NowMs());
        }
        flushTranscript();

        int timeout = 1000;
        if (!pending.empty() && !blocked) {
            const std::uint64_t now = NowMs();
            timeout =
                pending.front().dueMs > now
                    ? static_cast<int>(std::min<std::uint64_t>(pending.front().dueMs - now, 1000))
                    : 0;
        }
        pollfd fds[2] = {{m_master, static_cast<short>(POLLIN | (blocked ? POLLOUT : 0)), 0},
                         {m_wakeRead, POLLIN, 0}};
        if (poll(fds, 2, timeout) < 0 && errno != EINTR) break;
        if (fds[1].revents) break;

        // A hang-up on the master means no client holds the slave open now.
        const bool clientGone = fds[0].revents & (POLLHUP | POLLERR);
        bool idle = clientGone && !(fds[0].revents & POLLIN);
        if (fds[0].revents & POLLIN) {
            const ssize_t n = read(m_master, buffer, sizeof buffer);
            if (n > 0) {
                std::lock_guard lock(m_mutex);
                const std::uint64_t now = NowMs();
                for (auto& output : m_simulator->Receive(
                         std::string_view(buffer, static_cast<std::size_t>(n)), now)) {
                    if (clientGone) continue;  // written and closed: no one hears the answer
                    const std::uint64_t due =
                        std::max(now + output.delayMs, pending.empty() ? 0 : pending.back().dueMs);
                    pending.push_back({due, std::move(output.bytes)});
                }
            } else if (n < 0 && errno == EIO) {
                idle = true;
            }
        }
        if (clientGone && connected) {
            connected = false;
            pending.clear();
            DiscardUnreadReplies();
            ++m_disconnects;
        } else if (!clientGone) {
            connected = true;
        }
        if (idle) {
            pollfd wake{m_wakeRead, POLLIN, 0};
            poll(&wake, 1, std::min(timeout, kIdlePollMs));
        }
    }
    flushTranscript();
}

}  // namespace zentrip::sim
