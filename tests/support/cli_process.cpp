#include "tests/support/cli_process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace zentrip::testing {

namespace {

std::string TempName(const char* stem) {
    std::string name = (std::filesystem::temp_directory_path() / stem).string() + "-XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd >= 0) close(fd);
    return name;
}

}  // namespace

CliProcess::CliProcess(const std::string& program, const std::vector<std::string>& args,
                       int stderrFd)
    : m_outPath(TempName("cli-out")), m_errPath(TempName("cli-err")) {
    const int out = open(m_outPath.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    const int err = stderrFd >= 0 ? -1 : open(m_errPath.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (out >= 0 && (stderrFd >= 0 || err >= 0)) {
        std::vector<std::string> argv{program};
        argv.insert(argv.end(), args.begin(), args.end());
        ChildSetup setup;
        setup.out = out;
        setup.err = stderrFd >= 0 ? stderrFd : err;
        m_pid = SpawnChild(argv, setup);
    }
    if (out >= 0) close(out);
    if (err >= 0) close(err);
}

CliProcess::~CliProcess() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    std::error_code ignored;
    std::filesystem::remove(m_outPath, ignored);
    std::filesystem::remove(m_errPath, ignored);
}

void CliProcess::Signal(int signal) {
    if (m_pid > 0) kill(m_pid, signal);
}

int CliProcess::Wait(int timeoutMs) {
    if (m_pid <= 0) return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (std::chrono::steady_clock::now() > deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string CliProcess::Stdout() const { return TempDir::Read(m_outPath); }
std::string CliProcess::Stderr() const { return TempDir::Read(m_errPath); }

}  // namespace zentrip::testing
