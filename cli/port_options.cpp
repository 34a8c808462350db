#include "cli/port_options.h"

#include <cstdio>
#include <string_view>

#include "cli/command.h"
#include "link/comm_settings.h"
#include "link/comm_settings_choices.h"

namespace zentrip::cli {

namespace {

constexpr std::string_view kPortNeeds = "a port number from 1 to 4";
constexpr std::string_view kRateNeeds = "a data rate in bits per second";
constexpr std::string_view kDeviceNeeds = "a device path";

}  // namespace

const char* const kPortOptionsHelp =
    "  --port N        COM port 1 to 4; its device is the one stored for it\n"
    "                  ('zentrip-cli settings --device N=PATH'), by default /dev/ttyS<N-1>\n"
    "  --device PATH   serial device to use instead of the port's (e.g. /dev/ttyUSB0)\n"
    "  --rate BPS      300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200 or\n"
    "                  230400 bits per second\n"
    "                  (without --port or --rate the stored port and rate apply, see\n"
    "                  'zentrip-cli settings')\n";

CommSettings LoadStoredSettings() {
    CommSettings settings;
    for (const std::string& warning : LoadSettings(settings)) {
        std::fprintf(stderr, "%s\n", warning.c_str());
    }
    return settings;
}

PortOptions DefaultPortOptions() { return StoredPortOptions(LoadStoredSettings()); }

PortOptions StoredPortOptions(const CommSettings& settings) {
    PortOptions options;
    options.port = settings.port;
    options.rate = settings.dataRate;
    return options;
}

std::vector<CommandOption> PortCommandOptions(PortOptions& options) {
    return {
        {"--port", kPortNeeds,
         [&options](const std::string& value, std::string* error) {
             long number = 0;
             if (!ParseWholeNumber(value, &number) || number < 1 || number > 4) {
                 *error = "--port needs " + std::string(kPortNeeds);
                 return false;
             }
             options.port = static_cast<int>(number);
             return true;
         }},
        {"--rate", kRateNeeds,
         [&options](const std::string& value, std::string* error) {
             long number = 0;
             if (!ParseWholeNumber(value, &number)) {
                 *error = "--rate needs " + std::string(kRateNeeds);
                 return false;
             }
             for (std::uint32_t rate : kDataRates) {
                 if (number == static_cast<long>(rate)) {
                     options.rate = rate;
                     return true;
                 }
             }
             *error = "--rate: unsupported data rate " + value;
             return false;
         }},
        {"--device", kDeviceNeeds,
         [&options](const std::string& value, std::string* error) {
             if (value.empty()) {
                 *error = "--device needs " + std::string(kDeviceNeeds);
                 return false;
             }
             options.device = value;
             return true;
         }},
    };
}

void ApplyPortOptions(CSerialPort& port, const PortOptions& options) {
    if (options.device.empty()) {
        port.SetDevicePathFn(StoredDevicePathFn());
        return;
    }
    port.SetDevicePathFn([device = options.device](int) { return device; });
}

std::string UnofferedNote(const PortOptions& options) {
    const bool portOffered = options.port >= 1 && options.port <= kComPortCount;
    const bool rateOffered = IsOfferedRate(options.rate);
    if (portOffered && rateOffered) return "";
    const std::string com = "COM" + std::to_string(options.port);
    const std::string rate = std::to_string(options.rate) + " bit/s";
    std::string note = "zentrip-cli: using " + com;
    // A number below 1 leads to no device at all.
    if (options.port >= 1) {
        note += " (" +
                (options.device.empty() ? StoredDevicePathFn()(options.port) : options.device) +
                ")";
    }
    note += " at " + rate + " as stored:";
    if (!portOffered) note += " " + com + " is not one of COM1 to COM4;";
    if (!rateOffered)
        note += " " + rate + " is not one of the ten rates, so it is set as a custom rate;";
    note.back() = '\n';
    return note;
}

std::string OpenFailureLine(const CSerialPort& port, int portNumber) {
    if (port.OpenError().empty()) return "";
    std::string name = "COM" + std::to_string(portNumber);
    if (!port.DevicePath().empty()) name += " (" + port.DevicePath() + ")";
    return "zentrip-cli: cannot open serial port " + name + ": " + port.OpenError() + "\n";
}

}  // namespace zentrip::cli
