// What makes a serial device the one it was, beyond the path that led to it: the character
// device's number, the device node itself, and, for hardware, the adapter as sysfs describes
// it. A USB adapter pulled out and plugged in again gets a new node, perhaps a new number,
// but the same adapter identity; a pseudo-terminal has no hardware, so only the very same
// node is the same device.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

namespace zentrip {

struct DeviceIdentity {
    bool characterDevice = false;  // false: something else is at the path
    dev_t number = 0;              // major and minor
    // The node: its file system, inode and the time it was made (or last changed).
    dev_t nodeFileSystem = 0;
    ino_t nodeInode = 0;
    std::int64_t nodeChangedNs = 0;
    // "usb VENDOR:PRODUCT serial S interface I port P" for a USB adapter (its socket instead
    // of the serial number when it has none), "device SYSFS-PATH number M:N" for other
    // hardware, empty for a device without hardware (a pseudo-terminal).
    std::string hardware;
};

// What is at path now, links followed; nothing when nothing is. sysRoot: where sysfs is
// mounted (tests give a tree of their own).
std::optional<DeviceIdentity> ReadDeviceIdentity(const std::string& path,
                                                 const std::string& sysRoot = "/sys");

}  // namespace zentrip
