#include "platform/uucp_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "platform/system_error.h"

namespace zentrip {

namespace {

bool ProcessLives(pid_t pid) {
    if (pid <= 0) return false;
    // EPERM: it exists but belongs to someone else, which still makes the lock valid.
    return kill(pid, 0) == 0 || errno == EPERM;
}

}  // namespace

const std::vector<std::string>& DefaultUucpLockDirs() {
    static const std::vector<std::string> dirs{"/var/lock", "/run/lock"};
    return dirs;
}

std::string UucpLockName(const std::string& devicePath) {
    std::error_code ec;
    std::filesystem::path path = std::filesystem::canonical(devicePath, ec);
    if (ec) path = devicePath;
    return "LCK.." + path.filename().string();
}

std::optional<pid_t> ParseUucpLockPid(std::string_view contents) {
    // "162\n" is 4 bytes too; only bytes that cannot be the text form make the binary one.
    const bool textForm = contents.find_first_not_of("0123456789 \n") == std::string_view::npos;
    if (contents.size() == sizeof(std::int32_t) && !textForm) {
        std::int32_t pid = 0;
        std::memcpy(&pid, contents.data(), sizeof pid);
        if (pid > 0) return static_cast<pid_t>(pid);
        return std::nullopt;
    }
    std::size_t i = 0;
    while (i < contents.size() && contents[i] == ' ') ++i;
    long long pid = 0;
    std::size_t digits = 0;
    for (; i < contents.size() && contents[i] >= '0' && contents[i] <= '9'; ++i, ++digits) {
        pid = pid * 10 + (contents[i] - '0');
        if (pid > INT32_MAX) return std::nullopt;
    }
    if (digits == 0 || pid == 0) return std::nullopt;
    if (i < contents.size() && contents[i] != '\n' && contents[i] != ' ') return std::nullopt;
    return static_cast<pid_t>(pid);
}

std::optional<pid_t> UucpLockHolder(const std::string& devicePath,
                                    const std::vector<std::string>& lockDirs,
                                    std::string* problem) {
    const std::string name = UucpLockName(devicePath);
    for (const auto& dir : lockDirs) {
        struct stat info {};
        if (stat(dir.c_str(), &info) != 0) {
            if (errno == ENOENT) continue;
            *problem = SystemErrorText(dir, errno);
            return std::nullopt;
        }
        if (!S_ISDIR(info.st_mode)) {
            *problem = SystemErrorText(dir, ENOTDIR);
            return std::nullopt;
        }
        const std::string lockFile = dir + "/" + name;
        const int fd = open(lockFile.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            if (errno == ENOENT) continue;
            *problem = SystemErrorText(lockFile, errno);
            return std::nullopt;
        }
        char contents[64];
        const ssize_t n = read(fd, contents, sizeof contents);
        const int readError = errno;
        close(fd);
        if (n < 0) {
            *problem = SystemErrorText(lockFile, readError);
            return std::nullopt;
        }
        const auto pid = ParseUucpLockPid(std::string_view(contents, static_cast<std::size_t>(n)));
        if (pid && ProcessLives(*pid)) return pid;
    }
    return std::nullopt;
}

}  // namespace zentrip
