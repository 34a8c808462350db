// The serial port options of every command that opens a port: --port N (1..4), --device PATH
// (the device for this run only, whatever the port) and --rate BPS, defaulting to the stored
// settings. Nothing given here is saved.
#pragma once

#include <cstdint>
#include <string>

#include "link/comm_settings.h"

namespace zentrip::cli {

struct PortOptions {
    int port = kDefaultComPort;
    std::uint32_t rate = kDefaultDataRate;
    std::string device;  // empty: the device the store gives the port
};

enum class PortOptionResult { NotPortOption, Taken, Bad };

// Port, rate and devices as stored.
PortOptions StoredPortOptions(const CommSettings& settings);

// Looks at argv[*i]; when it is a port option ("--port N" or "--port=N", and so on), takes
// its value into options, advancing *i past it. Bad after saying why on stderr.
PortOptionResult TakePortOption(int argc, char** argv, int* i, PortOptions& options);

// Puts the options into the settings of this run: port, rate, and with --device, that
// device behind every port number (DevicePathOf then leads there).
void ApplyPortOptions(const PortOptions& options, CommSettings& settings);

// The option lines for a command's --help.
extern const char kPortOptionsHelp[];

}  // namespace zentrip::cli
