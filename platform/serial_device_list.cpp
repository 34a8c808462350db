#include "platform/serial_device_list.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

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

// Whether a ttyS with a driver has a UART behind it, as the kernel says in the port's uart
// type (0: none). Read from sysfs rather than asked of the device: opening a port raises DTR
// and RTS on real hardware, which resets some attached devices, and listing must change nothing.
bool IsRealUart(const std::string& sysRoot, const std::string& name) {
    std::ifstream type(fs::path(sysRoot) / "class/tty" / name / "type");
    int uart = 0;
    return type >> uart && uart != 0;
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
            if (!driver.empty() && IsRealUart(sysRoot, name)) nodes.push_back({path, driver});
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

std::string SerialDeviceListText(const std::vector<SerialDeviceInfo>& devices) {
    if (devices.empty()) return "no serial devices found\n";
    std::string text;
    for (const auto& device : devices) {
        text += device.path;
        if (!device.detail.empty()) text += "  " + device.detail;
        text += '\n';
    }
    return text;
}

}  // namespace zentrip
