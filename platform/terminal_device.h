// Whether a path leads to a terminal device, told without opening it: an open would raise a
// real port's modem lines, and the device may be another program's. A pseudo-terminal counts
// as one (sysfs does not list them).
#pragma once

#include <string>

namespace zentrip {

// Empty when the path leads to a terminal device; else why not: the system's reason when
// nothing is there ("No such file or directory"), or "not a terminal device". sysRoot: where
// sysfs is mounted (tests give a tree of their own).
std::string TerminalDeviceProblem(const std::string& path, const std::string& sysRoot = "/sys");

}  // namespace zentrip
