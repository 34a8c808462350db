#include "tests/support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace zentrip::testing {

namespace {

void Drain(int fd, std::string& into) {
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR);) {
        if (n > 0) into.append(buffer, static_cast<std::size_t>(n));
    }
}

int ExitCode(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

}  // namespace

bool WaitChild(pid_t pid, int timeoutMs, int* code) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            if (code) *code = ExitCode(status);
            return true;
        }
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

pid_t SpawnChild(const std::vector<std::string>& argv, const ChildSetup& setup) {
    // An extra entry replaces the inherited one of the same name.
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const auto& extra : setup.extraEnv) replaced = replaced || extra.rfind(name, 0) == 0;
        if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), setup.extraEnv.begin(), setup.extraEnv.end());
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = argv;
    std::vector<char*> argp;
    for (auto& a : args) argp.push_back(a.data());
    argp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (setup.in < 0) {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    } else {
        posix_spawn_file_actions_adddup2(&actions, setup.in, 0);
    }
    posix_spawn_file_actions_adddup2(&actions, setup.out, 1);
    posix_spawn_file_actions_adddup2(&actions, setup.err, 2);
    if (!setup.cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, setup.cwd.c_str());
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    if (setup.ownGroup) posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    pid_t pid = -1;
    if (posix_spawn(&pid, argp[0], &actions, &attr, argp.data(), envp.data()) != 0) pid = -1;
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

ChildResult RunChild(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                     const std::string& cwd) {
    ChildResult result;
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0) return result;
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return result;
    }
    ChildSetup setup;
    setup.extraEnv = extraEnv;
    setup.cwd = cwd;
    setup.out = out[1];
    setup.err = err[1];
    const pid_t pid = SpawnChild(argv, setup);
    close(out[1]);
    close(err[1]);
    // Outputs are small; reading one pipe to its end before the other cannot block the child.
    Drain(out[0], result.out);
    Drain(err[0], result.err);
    close(out[0]);
    close(err[0]);
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid) result.exitCode = ExitCode(status);
    return result;
}

int RunChildWithin(const std::vector<std::string>& argv, const ChildSetup& setup, int timeoutMs) {
    const pid_t pid = SpawnChild(argv, setup);
    if (pid <= 0) return -1;
    int code = -1;
    if (WaitChild(pid, timeoutMs, &code)) return code;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

BackgroundChild::BackgroundChild(const std::vector<std::string>& argv) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    ChildSetup setup;
    setup.out = out[1];
    m_pid = SpawnChild(argv, setup);
    close(out[1]);
    m_out = out[0];
}

BackgroundChild::~BackgroundChild() {
    if (m_pid > 0) Wait(0);
    if (m_pid > 0) {  // still running
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_out >= 0) close(m_out);
}

std::string BackgroundChild::ReadLine(int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_buffer.find('\n') == std::string::npos && std::chrono::steady_clock::now() < end) {
        pollfd pfd{m_out, POLLIN, 0};
        if (poll(&pfd, 1, 50) <= 0) continue;
        char buffer[256];
        const ssize_t n = read(m_out, buffer, sizeof buffer);
        if (n <= 0) break;
        m_buffer.append(buffer, static_cast<std::size_t>(n));
    }
    const auto lf = m_buffer.find('\n');
    if (lf == std::string::npos) return {};
    std::string line = m_buffer.substr(0, lf);
    m_buffer.erase(0, lf + 1);
    return line;
}

void BackgroundChild::Signal(int signal) {
    if (m_pid > 0) kill(m_pid, signal);  // never kill(-1): the child may already be reaped
}

int BackgroundChild::Wait(int timeoutMs) {
    int code = -1;
    if (m_pid <= 0 || !WaitChild(m_pid, timeoutMs, &code)) return -1;
    m_pid = -1;
    return code;
}

}  // namespace zentrip::testing
