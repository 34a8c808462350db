#include "platform/device_identity.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>

namespace zentrip {

namespace {

namespace fs = std::filesystem;

// The first line of a sysfs attribute; nothing when the folder has no such file.
std::optional<std::string> Attribute(const fs::path& folder, const char* name) {
    std::ifstream in(folder / name);
    if (!in) return std::nullopt;
    std::string value;
    std::getline(in, value);
    return value;
}

std::string NumberText(dev_t number) {
    return std::to_string(major(number)) + ":" + std::to_string(minor(number));
}

// The adapter behind the device number: the USB device above its sysfs folder, with the
// interface and port that lead to this one device of it.
std::string HardwareIdentity(dev_t number, const std::string& sysRoot) {
    std::error_code ec;
    const fs::path device =
        fs::canonical(fs::path(sysRoot) / "dev/char" / NumberText(number) / "device", ec);
    if (ec) return {};
    std::optional<std::string> port;
    std::optional<std::string> interface;
    const fs::path top = fs::canonical(fs::path(sysRoot) / "devices", ec);
    for (fs::path folder = device; !folder.empty() && folder != top && folder != folder.root_path();
         folder = folder.parent_path()) {
        if (!port) port = Attribute(folder, "port_number");
        if (!interface) interface = Attribute(folder, "bInterfaceNumber");
        const auto vendor = Attribute(folder, "idVendor");
        if (!vendor) continue;
        const auto serial = Attribute(folder, "serial");
        return "usb " + *vendor + ":" + Attribute(folder, "idProduct").value_or("") +
               (serial ? " serial " + *serial : " at " + folder.filename().string()) +
               " interface " + interface.value_or("-") + " port " + port.value_or("-");
    }
    return "device " + device.string() + " number " + NumberText(number);
}

}  // namespace

std::optional<DeviceIdentity> ReadDeviceIdentity(const std::string& path,
                                                 const std::string& sysRoot) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return std::nullopt;
    DeviceIdentity identity;
    identity.nodeFileSystem = info.st_dev;
    identity.nodeInode = info.st_ino;
    identity.nodeChangedNs =
        static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    identity.characterDevice = S_ISCHR(info.st_mode);
    if (!identity.characterDevice) return identity;
    identity.number = info.st_rdev;
    identity.hardware = HardwareIdentity(info.st_rdev, sysRoot);
    return identity;
}

}  // namespace zentrip
