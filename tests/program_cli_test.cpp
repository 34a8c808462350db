// zentrip-cli program end to end: the real program against zentrip-sim on a pseudo-terminal,
// checking the bytes on stdout, the texts on stderr and the exit status of every way out.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "zentrip-cli-XXXXXX").string();
        m_path = mkdtemp(pattern.data()) ? pattern : "";
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    const fs::path& Path() const { return m_path; }
    fs::path Write(const std::string& name, const std::string& text) const {
        std::ofstream(m_path / name, std::ios::binary) << text;
        return m_path / name;
    }

private:
    fs::path m_path;
};

// A child process with its stdin, stdout and stderr on pipes, read without blocking the test.
class Child {
public:
    Child(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv,
          const std::string& input) {
        int in[2], out[2], err[2];
        if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC)) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        // Its own process group, so a signal meant for it reaches nothing else.
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::vector<std::string> envText;
        for (char** e = environ; *e; ++e) envText.emplace_back(*e);
        for (const auto& e : extraEnv) envText.push_back(e);
        std::vector<char*> envp;
        for (auto& e : envText) envp.push_back(e.data());
        envp.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], &actions, &attr, argv.data(), envp.data()) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
        close(in[0]);
        close(out[1]);
        close(err[1]);
        if (!input.empty()) {
            ssize_t ignored = write(in[1], input.data(), input.size());
            (void)ignored;
        }
        close(in[1]);
        m_out = out[0];
        m_err = err[0];
    }
    ~Child() {
        if (m_pid > 0 && !m_exited) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0) close(m_out);
        if (m_err >= 0) close(m_err);
    }

    bool Started() const { return m_pid > 0; }
    pid_t Pid() const { return m_pid; }
    const std::string& Out() const { return m_outText; }
    const std::string& Err() const { return m_errText; }

    // Reads until done() holds or the time is up; false on time-out.
    bool ReadUntil(const std::function<bool()>& done, milliseconds limit) {
        const auto end = Clock::now() + limit;
        while (!done()) {
            const auto left = std::chrono::duration_cast<milliseconds>(end - Clock::now());
            if (left.count() <= 0) return false;
            if (!Pump(static_cast<int>(left.count()))) return done();
        }
        return true;
    }

    // Waits for the exit (reading all output); the exit status, -1 on time-out or a signal.
    int Wait(milliseconds limit) {
        ReadUntil([] { return false; }, limit);
        const auto end = Clock::now() + limit;
        int status = 0;
        while (waitpid(m_pid, &status, WNOHANG) == 0) {
            if (Clock::now() > end) return -1;
            usleep(10000);
        }
        m_exited = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    // One poll on both pipes; false once both have ended.
    bool Pump(int timeoutMs) {
        pollfd fds[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
        if (m_out < 0 && m_err < 0) return false;
        if (poll(fds, 2, timeoutMs) <= 0) return true;
        Drain(fds[0], m_out, m_outText);
        Drain(fds[1], m_err, m_errText);
        return m_out >= 0 || m_err >= 0;
    }
    static void Drain(const pollfd& p, int& fd, std::string& text) {
        if (fd < 0 || !(p.revents & (POLLIN | POLLHUP))) return;
        char buffer[4096];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
            return;
        }
        close(fd);
        fd = -1;
    }

    pid_t m_pid = -1;
    bool m_exited = false;
    int m_out = -1;
    int m_err = -1;
    std::string m_outText;
    std::string m_errText;
};

}  // namespace
