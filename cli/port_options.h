// The serial line options shared by the commands that use a port (send, receive, send-text,
// program): --port N, --device PATH and --rate BPS, with their defaults and help text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/comm_settings.h"
#include "link/serial_port.h"
#include "text/command_line.h"

namespace zentrip::cli {

struct PortOptions {
    int port = 1;               // COM port number: 1 to 4, or a stored one outside them
    std::uint32_t rate = 9600;  // bits per second: one of the ten, or a stored other one
    std::string device;         // overrides the device the port number leads to
};

// The stored settings; each warning about them is said once on stderr.
CommSettings LoadStoredSettings();
// The port and rate of these settings, as stored.
PortOptions StoredPortOptions(const CommSettings& settings);
// The same, from the settings store (its warnings said on stderr).
PortOptions DefaultPortOptions();

// The table entries of the three options, which set `options`.
std::vector<CommandOption> PortCommandOptions(PortOptions& options);

// Points the port's device lookup at --device, when given (for every port number), else at
// the stored devices.
void ApplyPortOptions(CSerialPort& port, const PortOptions& options);

// Only a stored port or rate can lie outside the offered choices; it is used as stored, and
// this line says so: "zentrip-cli: using COM9 (/dev/ttyS8) at 1234 bit/s as stored: ...".
// Empty when both are offered ones.
std::string UnofferedNote(const PortOptions& options);
// After a failed Open of port number `portNumber`, the line that says why: "zentrip-cli:
// cannot open serial port COM1 (/dev/ttyS0): No such file or directory". Empty after an Open
// that succeeded.
std::string OpenFailureLine(const CSerialPort& port, int portNumber);

// Help lines for the three options, ready to print under "options:".
extern const char* const kPortOptionsHelp;

}  // namespace zentrip::cli
