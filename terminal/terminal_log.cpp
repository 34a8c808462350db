#include "terminal/terminal_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_write.h"
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
    if (const int err = WriteAll(m_fd, bytes)) {
        if (error) *error = SystemErrorText(err);
        Stop();
        return false;
    }
    return true;
}

}  // namespace zentrip
