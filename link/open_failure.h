// Why a port did not open, for the line a window shows after its own failure text: the device
// and the system's reason, "/dev/ttyUSB0: No such file or directory", as zentrip-cli names them.
#pragma once

#include <string>

#include "link/serial_port.h"

namespace zentrip {

// Empty when the port's last Open did not fail.
std::string OpenFailureReason(const CSerialPort& port);

}  // namespace zentrip
