#include "platform/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace zentrip {

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

int ReplaceFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return errno;
    const std::string folder = to.substr(0, to.find_last_of('/') + 1);
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
    return 0;
}

int WriteWholeFile(const std::string& path, std::string_view bytes) {
    std::string temporary = path + ".zentrip-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return errno;
    struct stat info {};
    const mode_t umaskNow = umask(0);
    umask(umaskNow);
    const mode_t mode = stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0666 & ~umaskNow;
    int err = fchmod(fd, mode) == 0 ? WriteAll(fd, bytes) : errno;
    if (err == 0 && fsync(fd) != 0) err = errno;
    if (close(fd) != 0 && err == 0) err = errno;
    if (err == 0) err = ReplaceFile(temporary, path);
    if (err != 0) unlink(temporary.c_str());
    return err;
}

int WriteNewPrivateFile(const std::string& path, std::string_view bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    int err = fd < 0 ? errno : WriteAll(fd, bytes);
    if (fd >= 0 && close(fd) != 0 && err == 0) err = errno;
    return err;
}

std::string StateFolder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && state[0] == '/')
        return std::string(state) + "/zentrip";
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return std::string(home) + "/.local/state/zentrip";
    return "";
}

long ProcessId() { return static_cast<long>(getpid()); }

}  // namespace zentrip
