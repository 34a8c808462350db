// Finds the serial devices present: /dev/serial/by-id links, USB adapters (ttyUSB*, ttyACM*)
// and the ttyS* that are real UARTs (the kernel creates ttyS nodes for ports that may not
// exist), without opening any of them. For `zentrip-cli ports` and the settings dialog's
// device choice.
#pragma once

#include <string>
#include <vector>

namespace zentrip {

struct SerialDeviceInfo {
    std::string path;    // what the user puts in the settings
    std::string detail;  // where a by-id link leads, or the driver; may be empty
};

// The roots are parameters so tests can lay out a tree of their own.
std::vector<SerialDeviceInfo> ListSerialDevices(const std::string& devRoot = "/dev",
                                                const std::string& sysRoot = "/sys");

// The list as `zentrip-cli ports` prints it: a line per device, its detail after two blanks.
std::string SerialDeviceListText(const std::vector<SerialDeviceInfo>& devices);

}  // namespace zentrip
