#include "platform/pseudo_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace zentrip {

PseudoTerminal::PseudoTerminal() {
    termios raw{};
    cfmakeraw(&raw);
    char name[PATH_MAX] = {};
    if (openpty(&m_master, &m_slave, name, &raw, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    m_slavePath = name;
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    fcntl(m_slave, F_SETFD, FD_CLOEXEC);
}

PseudoTerminal::~PseudoTerminal() {
    CloseMaster();
    if (m_slave >= 0) close(m_slave);
}

bool PseudoTerminal::WriteMaster(std::string_view bytes, int timeoutMs) {
    while (!bytes.empty() && m_master >= 0) {
        const ssize_t w = write(m_master, bytes.data(), bytes.size());
        if (w > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(w));
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && errno != EAGAIN) return false;
        pollfd pfd{m_master, POLLOUT, 0};
        if (poll(&pfd, 1, timeoutMs) <= 0) return false;
    }
    return bytes.empty();
}

std::string PseudoTerminal::ReadMaster(std::size_t n, int timeoutMs) {
    std::string got;
    char buf[4096];
    while (got.size() < n && m_master >= 0) {
        pollfd pfd{m_master, POLLIN, 0};
        if (poll(&pfd, 1, timeoutMs) <= 0) break;
        const std::size_t want = n - got.size() < sizeof buf ? n - got.size() : sizeof buf;
        const ssize_t r = read(m_master, buf, want);
        if (r < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (r <= 0) break;
        got.append(buf, static_cast<std::size_t>(r));
    }
    return got;
}

void PseudoTerminal::CloseMaster() {
    if (m_master < 0) return;
    close(m_master);
    m_master = -1;
}

}  // namespace zentrip
