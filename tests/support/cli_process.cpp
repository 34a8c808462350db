#include "tests/support/cli_process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace zentrip::testing {

namespace {

std::string TempName(const char* stem) {
    std::string name = (std::filesystem::temp_directory_path() / stem).string() + "-XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd >= 0) close(fd);
    return name;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

CliProcess::CliProcess(const std::string& program, const std::vector<std::string>& args,
                       int stderrFd)
    : m_outPath(TempName("cli-out")), m_errPath(TempName("cli-err")) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    m_pid = fork();
    if (m_pid != 0) return;
    const int out = open(m_outPath.c_str(), O_WRONLY | O_TRUNC);
    const int err = stderrFd >= 0 ? stderrFd : open(m_errPath.c_str(), O_WRONLY | O_TRUNC);
    const int null = open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || null < 0) _exit(126);
    dup2(null, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    execv(program.c_str(), argv.data());
    _exit(127);
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

std::string CliProcess::Stdout() const { return ReadAll(m_outPath); }
std::string CliProcess::Stderr() const { return ReadAll(m_errPath); }

}  // namespace zentrip::testing
