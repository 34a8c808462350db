// The serial line options shared by the commands that use a port (send, receive, send-text,
// program): --port N, --device PATH and --rate BPS, with their defaults and help text.
#pragma once

#include <cstdint>
#include <string>

#include "link/comm_settings.h"
#include "link/serial_port.h"

namespace zentrip::cli {

struct PortOptions {
    int port = 1;               // COM port number, 1 to 4
    std::uint32_t rate = 9600;  // bits per second, one of the ten rates
    std::string device;         // overrides the device the port number leads to
};

// The port and rate of these settings (a value that is not one of the offered ones: 1 and 9600).
PortOptions StoredPortOptions(const CommSettings& settings);
// The same, from the settings store.
PortOptions DefaultPortOptions();

enum class OptionTaken { kNo, kYes, kError };

// Takes argv[index] (and its value, as the next argument or after '=') when it is a port
// option; index then points at the last argument taken. On kError, *error says why.
OptionTaken TakePortOption(int argc, char** argv, int& index, PortOptions& options,
                           std::string* error);

// Points the port's device lookup at --device, when given, else at the stored devices.
void ApplyPortOptions(CSerialPort& port, const PortOptions& options);
// Puts the options into the settings of one run: port, rate, and with --device that device
// behind every port number. Nothing is saved.
void ApplyPortOptions(const PortOptions& options, CommSettings& settings);

// "COM1 (/dev/ttyS0)": how messages name the port after an Open.
std::string DescribePort(const CSerialPort& port, const PortOptions& options);

// Help lines for the three options, ready to print under "options:".
extern const char* const kPortOptionsHelp;

}  // namespace zentrip::cli
