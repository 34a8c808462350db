// Runs the built programs from tests: to completion with captured output, or in the
// background with its stdout readable line by line and signals sent by the test.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zentrip::testing {

struct ChildResult {
    int exitCode = -1;  // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs argv[0] with the arguments, extra "NAME=value" entries added to the environment.
ChildResult RunChild(const std::vector<std::string>& argv,
                     const std::vector<std::string>& extraEnv = {});

class BackgroundChild {
public:
    explicit BackgroundChild(const std::vector<std::string>& argv);
    ~BackgroundChild();  // kills and reaps a child still running
    BackgroundChild(const BackgroundChild&) = delete;
    BackgroundChild& operator=(const BackgroundChild&) = delete;

    bool Started() const { return m_pid > 0; }
    // One line of its stdout without the LF; empty when none came within timeoutMs.
    std::string ReadLine(int timeoutMs);
    void Signal(int signal);
    // The exit code once it ended within timeoutMs; -1 otherwise.
    int Wait(int timeoutMs);

private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_buffer;
};

}  // namespace zentrip::testing
