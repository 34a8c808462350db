#include "link/comm_settings.h"

#include <charconv>
#include <optional>

#include "link/comm_settings_choices.h"

namespace zentrip {

namespace {

constexpr std::size_t kMaxDevicePath = 4095;

template <typename Int>
std::optional<Int> ParseInt(const std::optional<std::string>& text) {
    if (!text || text->empty()) return std::nullopt;
    Int value{};
    const char* end = text->data() + text->size();
    const auto [ptr, ec] = std::from_chars(text->data(), end, value);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

}  // namespace

std::string DevicePathValueName(int port) { return "Device" + std::to_string(port); }

bool IsUsableDevicePath(const std::string& path) {
    if (path.empty() || path.size() > kMaxDevicePath || path[0] != '/') return false;
    for (const char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
    }
    return true;
}

void LoadSettings(CommSettings& settings, std::string* problem, const std::string& path) {
    SettingsStore store(path);
    store.Load(problem);

    settings.port = ParseInt<std::int32_t>(store.Get(kComPortValue)).value_or(kDefaultComPort);
    settings.dataRate =
        ParseInt<std::uint32_t>(store.Get(kDataRateValue)).value_or(kDefaultDataRate);

    // Like a 128-byte query of the original store: a longer string cannot be read at all, and
    // a string ends at its first zero byte.
    auto modem = store.Get(kModemInitStringValue).value_or("");
    modem = modem.substr(0, modem.find('\0'));
    settings.modemInitString = modem.size() <= kModemInitStringMax ? modem : "";

    for (int port = 1; port <= kComPortCount; ++port) {
        const auto device = store.Get(DevicePathValueName(port));
        settings.devicePaths[static_cast<std::size_t>(port - 1)] =
            device && IsUsableDevicePath(*device) ? *device : CSerialPort::DefaultDevicePath(port);
    }
}

bool SaveSettings(const CommSettings& settings, std::string* error, const std::string& path) {
    SettingsStore store(path);
    store.Load();  // values of others (newer versions, hand edits) survive the rewrite
    store.Set(kComPortValue, std::to_string(settings.port));
    store.Set(kDataRateValue, std::to_string(settings.dataRate));
    store.Set(kModemInitStringValue, FitModemInitString(settings.modemInitString));
    for (int port = 1; port <= kComPortCount; ++port) {
        store.Set(DevicePathValueName(port),
                  settings.devicePaths[static_cast<std::size_t>(port - 1)]);
    }
    return store.Save(error);
}

std::string DevicePathOf(const CommSettings& settings, int port) {
    if (port < 1 || port > kComPortCount) return CSerialPort::DefaultDevicePath(port);
    return settings.devicePaths[static_cast<std::size_t>(port - 1)];
}

CSerialPort::DevicePathFn StoredDevicePathFn(std::string path) {
    return [path = std::move(path)](int port) {
        CommSettings settings;
        LoadSettings(settings, nullptr, path);
        return DevicePathOf(settings, port);
    };
}

}  // namespace zentrip
