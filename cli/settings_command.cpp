// `zentrip-cli settings`: shows and sets the stored serial settings, the same store the
// window uses. Every value is checked before anything is written: one bad value changes nothing.
#include <charconv>
#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/port_options.h"
#include "link/comm_settings.h"
#include "link/comm_settings_choices.h"

namespace zentrip::cli {

namespace {

const char* const kUsage =
    "usage: zentrip-cli settings [--port N] [--rate BPS] [--modem-init TEXT] [--device N=PATH]...\n"
    "\n"
    "Without options, shows the stored serial settings; the file is only read. With options,\n"
    "checks and stores the given values, then shows the result; a bad value is refused and\n"
    "nothing is changed. Only the given values are written, into the file as it is at that\n"
    "moment, so changes made meanwhile by the window or another zentrip-cli stay. A stored\n"
    "value that cannot be used is named on stderr with the default that takes its place. A\n"
    "file that cannot be read is never written over: it is kept beside the new one as\n"
    "Settings.ini.unreadable-DATE-TIME, and stderr says so.\n"
    "\n"
    "  --port N          COM port 1 to 4\n"
    "  --rate BPS        300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200 or 230400\n"
    "  --modem-init TEXT supplemental modem initialisation string, at most 127 characters\n"
    "                    (empty to clear)\n"
    "  --device N=PATH   the device behind COM port N, an absolute path (default /dev/ttyS<N-1>)\n"
    "\n"
    "The settings live in $XDG_CONFIG_HOME (default "
    "~/.config)/TALVEN_ORVANE7K_PGMR/Settings.ini.\n"
    "\n"
    "exit status:\n"
    "  0   shown (and stored)\n"
    "  1   the settings could not be stored\n"
    "  64  the command line cannot be understood, or a value is refused\n";

std::optional<long long> ParseNumber(const std::string& text) {
    long long value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

void Show(const CommSettings& settings) {
    std::printf("settings file: %s\n", SettingsStore::DefaultPath().c_str());
    std::printf("port: %d\n", settings.port);
    std::printf("rate: %u\n", settings.dataRate);
    std::printf("modem-init: %s\n", QuoteIniValue(settings.modemInitString).c_str());
    for (int port = 1; port <= kComPortCount; ++port) {
        std::printf("device %d: %s\n", port, DevicePathOf(settings, port).c_str());
    }
}

// The options, which set values of settings and name the stored values they set in given.
std::vector<CommandOption> SettingOptions(CommSettings& settings, std::set<std::string>& given) {
    return {
        {"--port", "a value",
         [&](const std::string& value, std::string* error) {
             const auto port = ParseNumber(value);
             if (!port || *port < 1 || *port > kComPortCount) {
                 *error = "--port must be 1, 2, 3 or 4, not '" + value + "'";
                 return false;
             }
             settings.port = static_cast<std::int32_t>(*port);
             given.insert(kComPortValue);
             return true;
         }},
        {"--rate", "a value",
         [&](const std::string& value, std::string* error) {
             const auto rate = ParseNumber(value);
             if (!rate || *rate < 0 || *rate > UINT32_MAX ||
                 !IsOfferedRate(static_cast<std::uint32_t>(*rate))) {
                 *error =
                     "--rate must be one of 300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, "
                     "115200, 230400, not '" +
                     value + "'";
                 return false;
             }
             settings.dataRate = static_cast<std::uint32_t>(*rate);
             given.insert(kDataRateValue);
             return true;
         }},
        {"--modem-init", "a value",
         [&](const std::string& value, std::string* error) {
             if (value.size() > kModemInitStringMax) {
                 *error = "--modem-init holds at most 127 characters, this one has " +
                          std::to_string(value.size());
                 return false;
             }
             settings.modemInitString = value;
             given.insert(kModemInitStringValue);
             return true;
         }},
        {"--device", "a value",
         [&](const std::string& value, std::string* error) {
             const auto eq = value.find('=');
             const auto port =
                 eq == std::string::npos ? std::nullopt : ParseNumber(value.substr(0, eq));
             if (!port || *port < 1 || *port > kComPortCount) {
                 *error = "--device takes N=PATH with N from 1 to 4, not '" + value + "'";
                 return false;
             }
             const std::string path = value.substr(eq + 1);
             if (!IsUsableDevicePath(path)) {
                 *error = "--device " + std::to_string(*port) + ": '" + path +
                          "' is not a usable device path (absolute, no control characters)";
                 return false;
             }
             settings.devicePaths[static_cast<std::size_t>(*port - 1)] = path;
             given.insert(DevicePathValueName(static_cast<int>(*port)));
             return true;
         }},
    };
}

}  // namespace

int RunSettings(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    CommSettings settings;
    std::set<std::string> given;
    // The help reads no stored settings; otherwise the values are read again onto them.
    CommandLine line = ReadCommandLine(args, SettingOptions(settings, given));
    if (line.outcome == CommandLine::Outcome::kHelp) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    settings = LoadStoredSettings();
    given.clear();
    line = ReadCommandLine(args, SettingOptions(settings, given));
    if (line.outcome == CommandLine::Outcome::kRun && !line.operands.empty()) {
        line.error = "unknown argument '" + line.operands[0] + "'";
    }
    if (!line.error.empty()) return PrintUsageError(argv[0], line.error + "; nothing changed");
    std::string error;
    IniValues changes;
    for (auto& [name, value] : StoredValues(settings)) {
        if (given.count(name)) changes.emplace(name, std::move(value));
    }
    std::string notice;
    if (!SaveSettingValues(changes, &error, &notice)) {
        std::fprintf(stderr, "zentrip-cli settings: cannot save: %s\n", error.c_str());
        return 1;
    }
    if (!notice.empty()) std::fprintf(stderr, "zentrip-cli settings: %s\n", notice.c_str());
    Show(settings);
    return 0;
}

}  // namespace zentrip::cli
