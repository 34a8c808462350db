#include "platform/terminal_device.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <filesystem>

#include "platform/system_error.h"

namespace zentrip {

std::string TerminalDeviceProblem(const std::string& path, const std::string& sysRoot) {
    static const std::string kNotATerminal = "not a terminal device";
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return SystemErrorText(errno);
    if (!S_ISCHR(info.st_mode)) return kNotATerminal;
    // The class of a device the kernel lists: tty for terminals, mem for /dev/null and the like.
    const std::string number =
        std::to_string(major(info.st_rdev)) + ":" + std::to_string(minor(info.st_rdev));
    std::error_code ec;
    const std::filesystem::path subsystem = std::filesystem::read_symlink(
        std::filesystem::path(sysRoot) / "dev/char" / number / "subsystem", ec);
    if (ec) return {};  // not listed: a pseudo-terminal
    return subsystem.filename() == "tty" ? std::string() : kNotATerminal;
}

}  // namespace zentrip
