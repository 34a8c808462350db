// A sysfs tree of a test's own, in which a device number (that of a pseudo-terminal the test
// made) leads to a USB serial adapter, as a real adapter shows under /sys. Header-only.
#pragma once

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/temp_dir.h"

namespace zentrip::testing {

class FakeSysfs {
public:
    // The device at devicePath becomes port 0 of interface 00 of an adapter 0403:6001 in USB
    // socket 1-2, with this serial number (none when empty). False when the device is missing.
    bool AddAdapter(const std::string& devicePath, const std::string& serial) {
        namespace fs = std::filesystem;
        struct stat info {};
        if (stat(devicePath.c_str(), &info) != 0) return false;
        const fs::path usb = m_dir.Path("devices/pci0000:00/usb1/1-2");
        const fs::path port = usb / "1-2:1.0/ttyUSB0";
        fs::create_directories(port);
        Put(usb / "idVendor", "0403");
        Put(usb / "idProduct", "6001");
        fs::remove(usb / "serial");
        if (!serial.empty()) Put(usb / "serial", serial);
        Put(usb / "1-2:1.0/bInterfaceNumber", "00");
        Put(port / "port_number", "0");
        const fs::path entry = m_dir.Path("dev/char/" + std::to_string(major(info.st_rdev)) + ":" +
                                          std::to_string(minor(info.st_rdev)));
        fs::create_directories(entry);
        fs::remove(entry / "device");
        fs::create_symlink(port, entry / "device");
        return true;
    }
    const std::string& Root() const { return m_dir.Path(); }

private:
    static void Put(const std::filesystem::path& file, const std::string& line) {
        std::ofstream(file) << line << "\n";
    }

    TempDir m_dir{"zentrip-sysfs-"};
};

}  // namespace zentrip::testing
