#include "app/worker/program_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "platform/file_write.h"
#include "platform/system_error.h"

namespace zentrip {

bool FileUsesCrLf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string line;
    return std::getline(file, line) && !file.eof() && !line.empty() && line.back() == '\r';
}

std::string ProgramFileBytes(std::string_view text, bool crLf) {
    if (crLf) return std::string(text);
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        bytes += text[i];
    }
    return bytes;
}

int WriteProgramFile(const std::string& path, std::string_view bytes) {
    std::string temporary = path + ".zentrip-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return errno;
    // The file keeps its permissions; a new one gets those of any new file.
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

std::string WriteRecoveryFile(std::string_view bytes, std::string* error) {
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    std::filesystem::path folder = state && *state ? std::filesystem::path(state)
                                   : home           ? std::filesystem::path(home) / ".local/state"
                                                    : std::filesystem::path("/tmp");
    folder /= "zentrip";
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    const std::time_t now = std::time(nullptr);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
    const std::string path =
        (folder / ("unsaved-" + std::string(stamp) + "-" + std::to_string(getpid()) + ".orv"))
            .string();
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    int err = fd < 0 ? errno : WriteAll(fd, bytes);
    if (fd >= 0 && close(fd) != 0 && err == 0) err = errno;
    if (err == 0) return path;
    if (error) *error = SystemErrorText(path, err);
    return {};
}

}  // namespace zentrip
