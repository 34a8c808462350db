// Serial devices on termios. Raw 8N1, no flow control, reads that return at once.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/serial_device.h"

namespace zentrip {

namespace {

std::string SystemError(int err) { return std::strerror(err); }

speed_t SpeedFor(std::uint32_t rate) {
    switch (rate) {
        case 300: return B300;
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        case 230400: return B230400;
        default: return B0;
    }
}

class PosixSerialDevice final : public SerialDevice {
public:
    explicit PosixSerialDevice(int fd) : m_fd(fd) {}
    ~PosixSerialDevice() override { close(m_fd); }

    std::size_t Write(const void* data, std::size_t n) override {
        const auto* p = static_cast<const char*>(data);
        std::size_t done = 0;
        while (done < n && m_lostReason.empty()) {
            const ssize_t w = ::write(m_fd, p + done, n - done);
            if (w > 0) {
                done += static_cast<std::size_t>(w);
            } else if (w < 0 && errno == EINTR) {
                continue;
            } else if (w < 0 && errno == EAGAIN) {
                pollfd pfd{m_fd, POLLOUT, 0};
                if (poll(&pfd, 1, 1000) > 0 && (pfd.revents & (POLLHUP | POLLERR))) {
                    MarkLost(EIO);
                }
            } else {
                MarkLost(w < 0 ? errno : EIO);
            }
        }
        return done;
    }

    std::size_t Read(void* buffer, std::size_t n) override {
        if (!m_lostReason.empty()) return 0;
        for (;;) {
            const ssize_t r = ::read(m_fd, buffer, n);
            if (r > 0) return static_cast<std::size_t>(r);
            if (r < 0 && errno == EINTR) continue;
            if (r < 0 && errno == EAGAIN) return 0;
            MarkLost(r < 0 ? errno : EIO);
            return 0;
        }
    }

    bool WaitReadable(int timeoutMs) override {
        if (!m_lostReason.empty()) return false;
        pollfd pfd{m_fd, POLLIN, 0};
        const int ready = poll(&pfd, 1, timeoutMs);
        if (ready <= 0) return false;
        if (pfd.revents & POLLIN) return true;
        if (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) MarkLost(EIO);
        return false;
    }

    bool IsLost() const override { return !m_lostReason.empty(); }
    std::string LostReason() const override { return m_lostReason; }

private:
    void MarkLost(int err) { m_lostReason = SystemError(err); }

    int m_fd;
    std::string m_lostReason;
};

class PosixOpener final : public SerialDeviceOpener {
public:
    std::unique_ptr<SerialDevice> Open(const std::string& path, std::uint32_t rate,
                                       std::string* error) override {
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return Fail(error, errno, -1);
        if (ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY) return Fail(error, errno, fd);
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) return Fail(error, errno, fd);
        termios tio{};
        if (tcgetattr(fd, &tio) != 0) return Fail(error, errno, fd);
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
        tio.c_iflag &= ~(IXON | IXOFF | IXANY);
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        if (const speed_t speed = SpeedFor(rate); speed != B0) {
            cfsetispeed(&tio, speed);
            cfsetospeed(&tio, speed);
        }
        tcsetattr(fd, TCSANOW, &tio);
        return std::make_unique<PosixSerialDevice>(fd);
    }

private:
    static std::unique_ptr<SerialDevice> Fail(std::string* error, int err, int fd) {
        if (error) *error = SystemError(err);
        if (fd >= 0) close(fd);
        return nullptr;
    }
};

}  // namespace

SerialDeviceOpener& PosixSerialOpener() {
    static PosixOpener opener;
    return opener;
}

}  // namespace zentrip
