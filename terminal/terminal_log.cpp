#include "terminal/terminal_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/system_error.h"

namespace zentrip {

CTerminalLog::~CTerminalLog() { Stop(); }

bool CTerminalLog::Start(const std::string& path, std::string* error) {
    Stop();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (error) *error = SystemErrorText(errno);
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

void CTerminalLog::Stop() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

bool CTerminalLog::Append(std::string_view bytes, std::string* error) {
    if (m_fd < 0) return true;
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (error) *error = SystemErrorText(n < 0 ? errno : EIO);
            Stop();
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace zentrip
