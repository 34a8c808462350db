// CommSettings: the serial settings every conversation uses (COM port, data rate, the user's
// supplemental modem string) plus the device path behind each COM port, with their
// persistence in the per-user store. Loading never fails: each value that is missing or
// unusable takes its own default, and the user is told of every unusable one.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "link/serial_port.h"
#include "platform/settings_store.h"

namespace zentrip {

inline constexpr int kComPortCount = 4;

struct CommSettings {
    // Values before loading; the main window keeps them only if the store cannot be read.
    std::int32_t port = 3;
    std::uint32_t dataRate = 9600;
    std::string modemInitString;  // at most kModemInitStringMax characters
    std::array<std::string, kComPortCount> devicePaths{
        CSerialPort::DefaultDevicePath(1), CSerialPort::DefaultDevicePath(2),
        CSerialPort::DefaultDevicePath(3), CSerialPort::DefaultDevicePath(4)};
};

// The port, rate and device paths of `chosen` become those of `settings`; the modem string
// stays.
inline void TakePortChoice(CommSettings& settings, const CommSettings& chosen) {
    settings.port = chosen.port;
    settings.dataRate = chosen.dataRate;
    settings.devicePaths = chosen.devicePaths;
}

// Defaults of values missing from the store.
inline constexpr std::int32_t kDefaultComPort = 1;
inline constexpr std::uint32_t kDefaultDataRate = 9600;

// Names of the stored values.
inline constexpr const char* kComPortValue = "ComPort";
inline constexpr const char* kDataRateValue = "DataRate";
inline constexpr const char* kModemInitStringValue = "ModemInitString";
std::string DevicePathValueName(int port);  // "Device1".."Device4"

// Reads the store at path. A missing, unreadable or corrupt store is never fatal: a file that
// cannot be read at all leaves every value as it was before loading; otherwise every value it
// does not supply in a usable form gets its default. A port or rate outside the offered
// choices is kept as stored. Returns a text for the user per value that fell back to its
// default and per part of the file that could not be read ("Settings.ini: ComPort 'abc' is
// not a number; using 1"); none for a good or missing file. Reading never writes the file.
std::vector<std::string> LoadSettings(CommSettings& settings,
                                      const std::string& path = SettingsStore::DefaultPath());

// Every value as the store holds it, by its name.
IniValues StoredValues(const CommSettings& settings);
// The stored values in which `now` differs from `loaded`, what its writer started from.
IniValues ChangedValues(const CommSettings& loaded, const CommSettings& now);
// Writes `values` (from StoredValues) merged into the store as it is at the moment of writing:
// every other value, whoever wrote it, stays. Nothing to write writes nothing. False with the
// reason in *error. A file that could not be read is kept aside first; *notice then says where.
bool SaveSettingValues(const IniValues& values, std::string* error = nullptr,
                       std::string* notice = nullptr,
                       const std::string& path = SettingsStore::DefaultPath());

// A device path the store accepts: absolute, without control characters, of sane length.
bool IsUsableDevicePath(const std::string& path);
// The device behind a port number; a port outside 1..4 gets the default path of its number.
std::string DevicePathOf(const CommSettings& settings, int port);
// Resolves port numbers through the store, re-read at each open so edits apply at once.
CSerialPort::DevicePathFn StoredDevicePathFn(std::string path = SettingsStore::DefaultPath());

}  // namespace zentrip
