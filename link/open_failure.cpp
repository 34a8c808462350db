#include "link/open_failure.h"

namespace zentrip {

std::string OpenFailureReason(const CSerialPort& port) {
    if (port.OpenError().empty() || port.DevicePath().empty()) return port.OpenError();
    return port.DevicePath() + ": " + port.OpenError();
}

}  // namespace zentrip
