#include "terminal/terminal_log.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "platform/file_write.h"
#include "platform/system_error.h"

namespace zentrip {

namespace {

// Why a file of this kind cannot take the log; nothing when it can.
std::optional<std::string> Refusal(const struct stat& target, const std::string& portDevice) {
    if (S_ISREG(target.st_mode) || S_ISFIFO(target.st_mode)) return std::nullopt;
    struct stat port {};
    if (S_ISCHR(target.st_mode) && stat(portDevice.c_str(), &port) == 0 && S_ISCHR(port.st_mode) &&
        port.st_rdev == target.st_rdev) {
        return "it is the terminal's own serial device: every byte received would be sent back";
    }
    if (S_ISCHR(target.st_mode) || S_ISBLK(target.st_mode)) return "it is a device, not a file";
    return "it is neither a file nor a FIFO";
}

// One write while SIGPIPE is held back: a FIFO whose reader went away gives EPIPE instead of
// ending the program.
int WriteWithoutSigpipe(int fd, std::string_view bytes) {
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    sigset_t old;
    pthread_sigmask(SIG_BLOCK, &pipe, &old);
    const int err = WriteAll(fd, bytes);
    if (err == EPIPE && !sigismember(&old, SIGPIPE)) {
        const timespec none{};
        sigtimedwait(&pipe, nullptr, &none);  // the one this write raised
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return err;
}

}  // namespace

CTerminalLog::~CTerminalLog() { Stop(); }

bool CTerminalLog::Start(const std::string& path, const std::string& portDevice,
                         std::string* error) {
    Stop();
    const auto fail = [error](std::string why) {
        if (error) *error = std::move(why);
        return false;
    };
    // Looked at before the open: opening a serial device would already raise its lines.
    struct stat target {};
    if (stat(path.c_str(), &target) == 0) {
        if (auto why = Refusal(target, portDevice)) return fail(*why);
    }
    const int fd = ::open(path.c_str(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0) return fail(errno == ENXIO ? "no program reads the FIFO" : SystemErrorText(errno));
    // What was opened may have taken the place of what was looked at.
    struct stat opened {};
    std::optional<std::string> why;
    if (fstat(fd, &opened) != 0) why = SystemErrorText(errno);
    if (!why) why = Refusal(opened, portDevice);
    if (why) {
        ::close(fd);
        return fail(*why);
    }
    m_fd = fd;
    m_fifo = S_ISFIFO(opened.st_mode);
    m_path = path;
    return true;
}

void CTerminalLog::Stop() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

bool CTerminalLog::Append(std::string_view bytes, std::string* error) {
    if (m_fd < 0) return true;
    const int err = m_fifo ? WriteWithoutSigpipe(m_fd, bytes) : WriteAll(m_fd, bytes);
    if (err == 0) return true;
    if (error) {
        *error = m_fifo && err == EAGAIN ? "the FIFO is full: its reader takes no more"
                                         : SystemErrorText(err);
    }
    Stop();
    return false;
}

}  // namespace zentrip
