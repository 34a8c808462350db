// Runs zentrip-cli (or any program) as a child process with argv (no shell), collecting its
// stdout and stderr; optionally its stderr goes to a given descriptor, such as a pty slave.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zentrip::testing {

class CliProcess {
public:
    // stderrFd < 0: stderr is collected like stdout.
    CliProcess(const std::string& program, const std::vector<std::string>& args, int stderrFd = -1);
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;
    ~CliProcess();

    void Signal(int signal);
    // The exit status, or -1 when it did not end within timeoutMs (it is then killed).
    int Wait(int timeoutMs);
    std::string Stdout() const;
    std::string Stderr() const;

private:
    std::string m_outPath;
    std::string m_errPath;
    pid_t m_pid = -1;
};

}  // namespace zentrip::testing
