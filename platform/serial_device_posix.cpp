// Serial devices on termios: the one file that touches terminal settings (rates outside the
// standard list go through serial_custom_rate.cpp, whose headers clash with these).
//
// Open refuses anything but a terminal device, then takes the port for us alone: a live UUCP
// lock refuses it, flock stops every other program that locks (root included, whom TIOCEXCL
// lets through), TIOCEXCL stops the ones that do not. It saves the settings it finds, applies
// raw 8N1 without flow control, with CLOCAL|CREAD and VMIN = VTIME = 0 so reads return at once,
// and reads them back: tcsetattr succeeds when any part took, so only the read-back shows a
// device that refuses the mode or the rate, and that fails the open. The descriptor is
// non-blocking; writes wait for room with poll, so no byte is dropped. Closing a configured
// port waits while its output queue keeps shrinking, then puts back exactly what Open changed.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/drain_watch.h"
#include "platform/serial_custom_rate.h"
#include "platform/serial_device.h"
#include "platform/serial_line_mode.h"
#include "platform/system_error.h"
#include "platform/uucp_lock.h"

namespace zentrip {

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr const char* kNotATerminal = "not a terminal device";

// A write that finds no room for this long is stuck for good. Generous: at 300 bits/s the
// driver wakes writers only every 256 bytes, some 8.5 s apart.
constexpr auto kWriteStall = std::chrono::seconds(30);
constexpr int kWritePollMs = 200;

speed_t SpeedFor(std::uint32_t rate) {
    switch (rate) {
        case 300:
            return B300;
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        default:
            return B0;
    }
}

class PosixSerialDevice final : public SerialDevice {
public:
    explicit PosixSerialDevice(int fd) : m_fd(fd) {}
    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

    ~PosixSerialDevice() override {
        // An open that failed (the port held by another program, say) sent nothing; what is
        // queued then belongs to someone else.
        if (!IsLost() && m_rate != 0) Drain();
        if (m_saved) tcsetattr(m_fd, TCSANOW, &*m_saved);
        if (m_setExclusive) ioctl(m_fd, TIOCNXCL);
        close(m_fd);  // also releases the flock
    }

    // Every step of taking and configuring the port; an error text when it cannot be had.
    std::optional<std::string> Configure(std::uint32_t rate) {
        if (rate == 0) return "0 bit/s is not a data rate";
        if (flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            return SystemErrorText(errno == EWOULDBLOCK ? EBUSY : errno);
        }
        int wasExclusive = 0;
        if (ioctl(m_fd, TIOCGEXCL, &wasExclusive) != 0) wasExclusive = 0;
        if (ioctl(m_fd, TIOCEXCL) != 0) return SystemErrorText(errno);
        m_setExclusive = wasExclusive == 0;

        termios tio{};
        if (tcgetattr(m_fd, &tio) != 0) return SystemErrorText(errno);
        // Saved before anything is applied: a device that takes only part of the settings is
        // put back too.
        m_saved = tio;
        MakeRawEightNOne(tio);
        const speed_t speed = SpeedFor(rate);
        if (speed != B0) cfsetspeed(&tio, speed);
        if (tcsetattr(m_fd, TCSANOW, &tio) != 0) {
            return "cannot set raw 8N1 (" + SystemErrorText(errno) + ")";
        }
        termios got{};
        if (tcgetattr(m_fd, &got) != 0) return SystemErrorText(errno);
        if (!IsRawEightNOne(got)) return "the device refuses raw 8N1 mode";
        const bool rateTaken = speed != B0
                                   ? cfgetospeed(&got) == speed && cfgetispeed(&got) == speed
                                   : SetCustomRate(m_fd, rate);
        if (!rateTaken) return "the device does not take " + std::to_string(rate) + " bit/s";
        m_rate = rate;
        return std::nullopt;
    }

    std::size_t Write(const void* data, std::size_t n) override {
        const auto* p = static_cast<const char*>(data);
        std::size_t done = 0;
        auto lastProgress = SteadyClock::now();
        while (done < n && !IsLost()) {
            const ssize_t w = ::write(m_fd, p + done, n - done);
            if (w > 0) {
                done += static_cast<std::size_t>(w);
                lastProgress = SteadyClock::now();
            } else if (w < 0 && errno == EINTR) {
                continue;
            } else if (w < 0 && errno == EAGAIN) {
                WaitForRoom(lastProgress);
            } else {
                MarkLost(w < 0 ? errno : EIO);
            }
        }
        return done;
    }

    std::size_t Read(void* buffer, std::size_t n) override {
        if (n == 0 || IsLost()) return 0;
        for (;;) {
            const ssize_t r = ::read(m_fd, buffer, n);
            if (r > 0) return static_cast<std::size_t>(r);
            if (r < 0 && errno == EINTR) continue;
            if (r < 0 && errno == EAGAIN) return 0;
            if (r < 0) {
                MarkLost(errno);
                return 0;
            }
            // With VMIN = VTIME = 0 an empty read is normal, but it is also all that a hung-up
            // device ever gives; only poll can tell the two apart.
            CheckHangup();
            return 0;
        }
    }

    bool WaitReadable(int timeoutMs) override {
        if (IsLost()) return false;
        pollfd pfd{m_fd, POLLIN, 0};
        const int ready = poll(&pfd, 1, timeoutMs);
        if (ready < 0 && errno != EINTR) MarkLost(errno);
        if (ready <= 0) return false;
        // A hung-up device reports POLLIN too, but its reads give nothing more: a pty whose
        // master closed throws away what was still waiting, a hung-up tty reads as empty.
        if ((pfd.revents & POLLIN) && !(pfd.revents & (POLLHUP | POLLERR | POLLNVAL))) return true;
        MarkLost(EIO);
        return false;
    }

    bool IsLost() const override { return m_lost.load(std::memory_order_acquire); }

    std::string LostReason() const override {
        std::lock_guard lock(m_lostMutex);
        return m_lostReason;
    }

private:
    void MarkLost(int err) {
        std::lock_guard lock(m_lostMutex);
        if (m_lostReason.empty()) m_lostReason = SystemErrorText(err);
        m_lost.store(true, std::memory_order_release);
    }

    void CheckHangup() {
        pollfd pfd{m_fd, POLLIN, 0};
        if (poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL))) MarkLost(EIO);
    }

    void WaitForRoom(SteadyClock::time_point lastProgress) {
        pollfd pfd{m_fd, POLLOUT, 0};
        const int ready = poll(&pfd, 1, kWritePollMs);
        if (ready < 0 && errno != EINTR) return MarkLost(errno);
        if (ready > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL))) return MarkLost(EIO);
        if (SteadyClock::now() - lastProgress > kWriteStall) MarkLost(ETIMEDOUT);
    }

    // tcdrain would wait forever on a line that never empties; watch the output queue instead,
    // for as long as it keeps shrinking.
    void Drain() {
        int queued = 0;
        if (ioctl(m_fd, TIOCOUTQ, &queued) != 0 || queued <= 0) return;
        const auto start = SteadyClock::now();
        const auto elapsedMs = [&] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start)
                .count();
        };
        DrainWatch watch(m_rate, 0, queued);
        do {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (ioctl(m_fd, TIOCOUTQ, &queued) != 0) queued = 0;
        } while (watch.KeepWaiting(elapsedMs(), queued));
        // Whatever is still queued would make close() wait in the driver; let it go.
        if (queued > 0) tcflush(m_fd, TCOFLUSH);
    }

    const int m_fd;
    std::uint32_t m_rate = 0;        // set once Configure succeeded
    std::optional<termios> m_saved;  // the settings Open found, put back on close
    bool m_setExclusive = false;
    std::atomic<bool> m_lost{false};
    mutable std::mutex m_lostMutex;
    std::string m_lostReason;
};

class PosixOpener final : public SerialDeviceOpener {
public:
    explicit PosixOpener(std::vector<std::string> lockDirs) : m_lockDirs(std::move(lockDirs)) {}

    std::unique_ptr<SerialDevice> Open(const std::string& path, std::uint32_t rate,
                                       std::string* error) override {
        std::string lockProblem;
        if (const auto holder = UucpLockHolder(path, m_lockDirs, &lockProblem)) {
            return Fail(error, SystemErrorText(EBUSY) + " (locked by process " +
                                   std::to_string(*holder) + ")");
        }
        // Whether another program holds the port cannot be told: not ours to take.
        if (!lockProblem.empty()) {
            return Fail(error, "cannot look for a UUCP lock (" + lockProblem + ")");
        }
        // Asked before the open, so a regular file, a directory or a FIFO is refused as not a
        // terminal device, not with what opening it would say ("Is a directory", "Permission
        // denied").
        struct stat st {};
        if (stat(path.c_str(), &st) != 0) return Fail(error, SystemErrorText(errno));
        if (!S_ISCHR(st.st_mode)) return Fail(error, kNotATerminal);
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return Fail(error, SystemErrorText(errno));
        if (!isatty(fd)) {
            close(fd);
            return Fail(error, kNotATerminal);
        }
        auto device = std::make_unique<PosixSerialDevice>(fd);
        if (auto failure = device->Configure(rate)) return Fail(error, std::move(*failure));
        return device;
    }

private:
    static std::unique_ptr<SerialDevice> Fail(std::string* error, std::string text) {
        if (error) *error = std::move(text);
        return nullptr;
    }

    std::vector<std::string> m_lockDirs;
};

}  // namespace

SerialDeviceOpener& PosixSerialOpener() {
    static PosixOpener opener(DefaultUucpLockDirs());
    return opener;
}

std::unique_ptr<SerialDeviceOpener> MakePosixSerialOpener(std::vector<std::string> lockDirs) {
    return std::make_unique<PosixOpener>(std::move(lockDirs));
}

}  // namespace zentrip
