#include "platform/uucp_lock.h"

#include <signal.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

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
    if (contents.size() == sizeof(std::int32_t)) {
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
                                    const std::vector<std::string>& lockDirs) {
    const std::string name = UucpLockName(devicePath);
    for (const auto& dir : lockDirs) {
        std::ifstream in(dir + "/" + name, std::ios::binary);
        if (!in) continue;
        std::string contents;
        contents.resize(64);
        in.read(contents.data(), static_cast<std::streamsize>(contents.size()));
        contents.resize(static_cast<std::size_t>(in.gcount()));
        const auto pid = ParseUucpLockPid(contents);
        if (pid && ProcessLives(*pid)) return pid;
    }
    return std::nullopt;
}

}  // namespace zentrip
