// A reference XMODEM tool (lrzsz `rx` or `sx`) behind a pseudo-terminal made by socat. The tool's
// stdin/stdout is a socketpair that socat bridges to the pty: the tools flush their terminal
// (tcflush) as they exit, which on a pty slave would throw their own last bytes away. The
// test opens TtyPath() like a serial device. Arguments are passed without any shell.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zentrip::testing {

class LrzszPeer {
public:
    // Runs `tool` with `args` in `dir` (file arguments are names inside it; lrzsz refuses
    // absolute paths). The pty appears as dir/tty once Ready() returns true.
    LrzszPeer(const std::string& dir, const std::vector<std::string>& toolAndArgs);
    LrzszPeer(const LrzszPeer&) = delete;
    LrzszPeer& operator=(const LrzszPeer&) = delete;
    ~LrzszPeer();

    const std::string& TtyPath() const { return m_tty; }
    bool Ready(int timeoutMs);
    // Waits for socat (and so the tool) to end: true when it ended in time, else it is killed.
    bool Wait(int timeoutMs);
    // What the tool and socat wrote on stderr.
    std::string Diagnostics() const;

private:
    std::string m_tty;
    std::string m_log;
    pid_t m_pid = -1;
};

// The path of an executable found on PATH, empty when there is none.
std::string FindProgram(const std::string& name);

}  // namespace zentrip::testing
