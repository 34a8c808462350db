#include "platform/serial_device_list.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>

#include "platform/system_error.h"

namespace zentrip {

namespace {

namespace fs = std::filesystem;

bool HasNumberedPrefix(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// The driver bound to a tty, empty when there is none.
std::string DriverOf(const std::string& sysRoot, const std::string& name) {
    std::error_code ec;
    const fs::path link = fs::path(sysRoot) / "class/tty" / name / "device/driver";
    const fs::path target = fs::read_symlink(link, ec);
    return ec ? std::string() : target.filename().string();
}

// Whether a ttyS with a driver has a UART behind it. Only a character device can be asked;
// a port we may not open is listed rather than hidden, with the reason.
bool IsRealUart(const std::string& path, std::string* note) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return false;
    if (!S_ISCHR(st.st_mode)) return true;
    const int fd = open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != EACCES && errno != EPERM && errno != EBUSY) return false;
        *note = " (not checked: " + SystemErrorText(errno) + ")";
        return true;
    }
    serial_struct info{};
    const bool real = ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    close(fd);
    return real;
}

// ttyS2 before ttyS10.
bool NaturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) &&
            std::isdigit(static_cast<unsigned char>(b[j]))) {
            std::size_t ie = i;
            std::size_t je = j;
            while (ie < a.size() && std::isdigit(static_cast<unsigned char>(a[ie]))) ++ie;
            while (je < b.size() && std::isdigit(static_cast<unsigned char>(b[je]))) ++je;
            const std::string na = a.substr(i, ie - i);
            const std::string nb = b.substr(j, je - j);
            if (na.size() != nb.size()) return na.size() < nb.size();
            if (na != nb) return na < nb;
            i = ie;
            j = je;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

}  // namespace

std::vector<SerialDeviceInfo> ListSerialDevices(const std::string& devRoot,
                                                const std::string& sysRoot) {
    std::vector<SerialDeviceInfo> byId;
    std::vector<SerialDeviceInfo> nodes;
    std::error_code ec;

    for (const auto& entry : fs::directory_iterator(fs::path(devRoot) / "serial/by-id", ec)) {
        const fs::path target = fs::weakly_canonical(
            entry.path().parent_path() / fs::read_symlink(entry.path(), ec), ec);
        byId.push_back({entry.path().string(), ec ? std::string() : "-> " + target.string()});
    }
    for (const auto& entry : fs::directory_iterator(devRoot, ec)) {
        const std::string name = entry.path().filename().string();
        const std::string path = entry.path().string();
        if (HasNumberedPrefix(name, "ttyUSB") || HasNumberedPrefix(name, "ttyACM")) {
            nodes.push_back({path, DriverOf(sysRoot, name)});
        } else if (HasNumberedPrefix(name, "ttyS")) {
            const std::string driver = DriverOf(sysRoot, name);
            std::string note;
            if (!driver.empty() && IsRealUart(path, &note)) nodes.push_back({path, driver + note});
        }
    }
    const auto byPath = [](const SerialDeviceInfo& a, const SerialDeviceInfo& b) {
        return NaturalLess(a.path, b.path);
    };
    std::sort(byId.begin(), byId.end(), byPath);
    std::sort(nodes.begin(), nodes.end(), byPath);
    byId.insert(byId.end(), nodes.begin(), nodes.end());
    return byId;
}

}  // namespace zentrip
