// UUCP lock files ("LCK..ttyS0" in /var/lock or /run/lock): the old convention by which
// minicom, cu and friends mark a serial port as taken. We honour a lock whose process still
// lives and ignore stale ones; we never write lock files ourselves (flock guards our own use).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace zentrip {

// The directories looked at by default.
const std::vector<std::string>& DefaultUucpLockDirs();

// The lock file name for a device path: "LCK.." plus the last component of the path, after
// symlinks (/dev/serial/by-id/...) are resolved.
std::string UucpLockName(const std::string& devicePath);

// The pid a lock file's contents name: ASCII digits, blanks and a line feed (HDB style, padded
// to ten digits or not), or a 4-byte binary int (old style) when the 4 bytes are not ASCII
// digits. Nothing when the contents are neither.
std::optional<pid_t> ParseUucpLockPid(std::string_view contents);

// The pid of a live process holding a lock on devicePath in one of lockDirs, if any. A folder
// that is missing holds no lock; one that exists but cannot be looked in, or a lock file that
// cannot be read, leaves the question open: nothing, with the reason in *problem.
std::optional<pid_t> UucpLockHolder(const std::string& devicePath,
                                    const std::vector<std::string>& lockDirs, std::string* problem);

}  // namespace zentrip
