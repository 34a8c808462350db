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

// How a child starts: its environment, folder and standard descriptors.
struct ChildSetup {
    std::vector<std::string> extraEnv;  // "NAME=value", each replacing an inherited entry
    std::string cwd;                    // empty: the test's own
    int in = -1;                        // -1: /dev/null
    int out = 1;
    int err = 2;
    bool ownGroup = false;  // its own process group, so a signal meant for it reaches nothing else
};

// Starts argv[0] with the arguments; its pid, -1 when it could not be started.
pid_t SpawnChild(const std::vector<std::string>& argv, const ChildSetup& setup);

// Runs argv[0] with the arguments to its end, in folder cwd when given.
ChildResult RunChild(const std::vector<std::string>& argv,
                     const std::vector<std::string>& extraEnv = {}, const std::string& cwd = {});

// Reaps pid once it ended within timeoutMs: true, with its exit code in *code (-1 when it did
// not exit normally).
bool WaitChild(pid_t pid, int timeoutMs, int* code = nullptr);

// Runs argv[0] with the arguments to its end, killed after timeoutMs; its exit code, -1 when
// it did not exit normally or in time.
int RunChildWithin(const std::vector<std::string>& argv, const ChildSetup& setup, int timeoutMs);

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
