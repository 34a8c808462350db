// A serial device as the link layer sees it: raw bytes out, reads that never block, and a way
// to learn that the device vanished. One POSIX implementation on termios, one fake for tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zentrip {

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Sends all n bytes in order, waiting for room rather than dropping any. Returns the
    // number written: n, or fewer when the device was lost on the way.
    virtual std::size_t Write(const void* data, std::size_t n) = 0;
    // Returns at once with up to n bytes that have arrived; 0 when none has or the device is lost.
    virtual std::size_t Read(void* buffer, std::size_t n) = 0;
    // Waits at most timeoutMs for bytes to arrive. True when bytes wait to be read; false on
    // time-out and, at once, when the device is lost.
    virtual bool WaitReadable(int timeoutMs) = 0;
    // The device went away under us (adapter pulled, other end of a pty closed).
    virtual bool IsLost() const = 0;
    // Why it was lost, in the system's words; empty while it is not.
    virtual std::string LostReason() const = 0;
};

// Opens devices by path. The real opener configures raw 8N1 at the given rate.
class SerialDeviceOpener {
public:
    virtual ~SerialDeviceOpener() = default;
    // Null on failure, with the reason (the system's text) in *error.
    virtual std::unique_ptr<SerialDevice> Open(const std::string& path, std::uint32_t rate,
                                               std::string* error) = 0;
};

// The opener of real devices: refuses a device that another program holds (flock, TIOCEXCL)
// or that a live process has locked the UUCP way in /var/lock or /run/lock. The error text is
// the system's. Devices it hands out may be written on one thread while another reads.
SerialDeviceOpener& PosixSerialOpener();
// The same with other UUCP lock directories (tests use a directory of their own).
std::unique_ptr<SerialDeviceOpener> MakePosixSerialOpener(std::vector<std::string> lockDirs);

}  // namespace zentrip
