#include "tests/support/lrzsz_peer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "tests/support/child_process.h"

namespace zentrip::testing {

LrzszPeer::LrzszPeer(const std::string& dir, const std::vector<std::string>& toolAndArgs)
    : m_tty(dir + "/tty"), m_log(dir + "/peer.log") {
    // socat's EXEC splits its command at blanks; our names never hold any.
    std::string exec = "EXEC:";
    for (std::size_t i = 0; i < toolAndArgs.size(); ++i) exec += (i ? " " : "") + toolAndArgs[i];
    const std::string pty = "PTY,link=" + m_tty + ",raw,echo=0";
    const std::string socat = FindProgram("socat");

    const int log = open(m_log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (log >= 0 && null >= 0) {
        ChildSetup setup;
        setup.cwd = dir;
        setup.out = null;
        setup.err = log;
        m_pid = SpawnChild({socat, pty, exec}, setup);
    }
    if (log >= 0) close(log);
    if (null >= 0) close(null);
}

LrzszPeer::~LrzszPeer() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    if (!WaitChild(m_pid, 2000)) {
        kill(m_pid, SIGKILL);
        WaitChild(m_pid, 2000);
    }
}

bool LrzszPeer::Ready(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    struct stat info {};
    while (stat(m_tty.c_str(), &info) != 0) {
        if (m_pid <= 0 || std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool LrzszPeer::Wait(int timeoutMs) {
    if (m_pid <= 0) return true;
    if (WaitChild(m_pid, timeoutMs)) {
        m_pid = -1;
        return true;
    }
    return false;
}

std::string LrzszPeer::Diagnostics() const {
    std::ifstream in(m_log);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const std::string candidate = dir + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

}  // namespace zentrip::testing
