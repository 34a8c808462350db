#include "cli/port_options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "cli/command.h"
#include "link/comm_settings.h"
#include "link/comm_settings_choices.h"

namespace zentrip::cli {

namespace {

bool ParseNumber(const std::string& text, long* number) {
    if (text.empty()) return false;
    char* end = nullptr;
    *number = std::strtol(text.c_str(), &end, 10);
    return *end == '\0';
}

}  // namespace

bool IsOption(std::string_view arg, std::string_view name) {
    return arg == name || (arg.size() > name.size() && arg.substr(0, name.size()) == name &&
                           arg[name.size()] == '=');
}

bool OptionValue(int argc, char** argv, int& index, std::string_view name, std::string* value) {
    const std::string_view arg = argv[index];
    if (arg.size() > name.size() && arg[name.size()] == '=') {
        *value = std::string(arg.substr(name.size() + 1));
        return true;
    }
    if (index + 1 >= argc) return false;
    *value = argv[++index];
    return true;
}

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

OptionTaken TakePortOption(int argc, char** argv, int& index, PortOptions& options,
                           std::string* error) {
    const std::string_view arg = argv[index];
    std::string value;
    long number = 0;
    if (IsOption(arg, "--port")) {
        if (!OptionValue(argc, argv, index, "--port", &value) || !ParseNumber(value, &number) ||
            number < 1 || number > 4) {
            *error = "--port needs a port number from 1 to 4";
            return OptionTaken::kError;
        }
        options.port = static_cast<int>(number);
        return OptionTaken::kYes;
    }
    if (IsOption(arg, "--rate")) {
        if (!OptionValue(argc, argv, index, "--rate", &value) || !ParseNumber(value, &number)) {
            *error = "--rate needs a data rate in bits per second";
            return OptionTaken::kError;
        }
        for (std::uint32_t rate : kDataRates) {
            if (number == static_cast<long>(rate)) {
                options.rate = rate;
                return OptionTaken::kYes;
            }
        }
        *error = "--rate: unsupported data rate " + value;
        return OptionTaken::kError;
    }
    if (IsOption(arg, "--device")) {
        if (!OptionValue(argc, argv, index, "--device", &value) || value.empty()) {
            *error = "--device needs a device path";
            return OptionTaken::kError;
        }
        options.device = value;
        return OptionTaken::kYes;
    }
    return OptionTaken::kNo;
}

bool TakeCommonOption(int argc, char** argv, int& index, const char* help, PortOptions& options,
                      int* endStatus) {
    const std::string_view arg = argv[index];
    if (arg == "--help" || arg == "-h") {
        std::fputs(help, stdout);
        std::fputs(kPortOptionsHelp, stdout);
        *endStatus = 0;
        return true;
    }
    std::string error;
    const OptionTaken taken = TakePortOption(argc, argv, index, options, &error);
    if (taken == OptionTaken::kError) {
        PrintUsageError(argv[0], error);
        *endStatus = kUsageError;
    }
    return taken != OptionTaken::kNo;
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
