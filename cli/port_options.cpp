#include "cli/port_options.h"

#include <charconv>
#include <cstdio>
#include <string_view>

#include "link/comm_settings_choices.h"

namespace zentrip::cli {

namespace {

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

const char kPortOptionsHelp[] =
    "  --port N        COM port 1..4 (default: the stored settings)\n"
    "  --device PATH   serial device for this run only, whatever the port\n"
    "                  (default: the device stored for the port)\n"
    "  --rate BPS      data rate: 300, 1200, 2400, 4800, 9600, 19200, 38400, 57600,\n"
    "                  115200 or 230400 (default: the stored settings)\n";

PortOptions StoredPortOptions(const CommSettings& settings) {
    return {ClampPort(settings.port), settings.dataRate, ""};
}

PortOptionResult TakePortOption(int argc, char** argv, int* i, PortOptions& options) {
    std::string_view arg = argv[*i];
    std::string_view name = arg.substr(0, arg.find('='));
    if (name != "--port" && name != "--device" && name != "--rate") {
        return PortOptionResult::NotPortOption;
    }
    std::string_view value;
    if (name.size() < arg.size()) {
        value = arg.substr(name.size() + 1);
    } else if (*i + 1 < argc) {
        value = argv[++*i];
    } else {
        std::fprintf(stderr, "zentrip-cli: %.*s needs a value\n", static_cast<int>(name.size()),
                     name.data());
        return PortOptionResult::Bad;
    }
    const std::string text(value);
    if (name == "--port") {
        int port = 0;
        if (!ParseNumber(value, port) || port < 1 || port > kComPortCount) {
            std::fprintf(stderr, "zentrip-cli: --port takes a COM port 1..%d, not '%s'\n",
                         kComPortCount, text.c_str());
            return PortOptionResult::Bad;
        }
        options.port = port;
    } else if (name == "--rate") {
        std::uint32_t rate = 0;
        if (!ParseNumber(value, rate) || !IsOfferedRate(rate)) {
            std::fprintf(stderr,
                         "zentrip-cli: --rate takes one of 300, 1200, 2400, 4800, "
                         "9600, 19200, 38400, 57600, 115200, 230400, not '%s'\n",
                         text.c_str());
            return PortOptionResult::Bad;
        }
        options.rate = rate;
    } else {
        if (value.empty()) {
            std::fprintf(stderr, "zentrip-cli: --device needs a path\n");
            return PortOptionResult::Bad;
        }
        options.device = text;
    }
    return PortOptionResult::Taken;
}

void ApplyPortOptions(const PortOptions& options, CommSettings& settings) {
    settings.port = options.port;
    settings.dataRate = options.rate;
    if (!options.device.empty()) settings.devicePaths.fill(options.device);
}

}  // namespace zentrip::cli
