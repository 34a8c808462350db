#include "link/comm_settings.h"

#include <charconv>
#include <limits>
#include <optional>

#include "link/comm_settings_choices.h"
#include "text/escaped_text.h"

namespace zentrip {

namespace {

constexpr std::size_t kMaxDevicePath = 4095;
constexpr std::size_t kShownValueMax = 40;  // a warning shows no more of a bad value

// Reads the values of one store, noting each that cannot be used.
class ValueReader {
public:
    ValueReader(const SettingsStore& store, std::vector<std::string>& warnings)
        : m_store(store), m_warnings(warnings) {}

    // The value's text; nothing when it is missing, or broken (which is told).
    std::optional<std::string> Text(const std::string& name, const std::string& fallback) {
        if (const auto malformed = m_store.MalformedValue(name)) {
            Refuse(name, *malformed, "is not a well-formed quoted text", fallback);
        }
        return m_store.Get(name);
    }

    template <typename Int>
    Int Number(const std::string& name, Int fallback) {
        const auto text = Text(name, std::to_string(fallback));
        if (!text) return fallback;
        long long value = 0;
        const char* end = text->data() + text->size();
        const auto [ptr, ec] = std::from_chars(text->data(), end, value);
        if (ec == std::errc::invalid_argument || ptr != end) {
            Refuse(name, *text, "is not a number", std::to_string(fallback));
            return fallback;
        }
        if (ec == std::errc::result_out_of_range || value < std::numeric_limits<Int>::min() ||
            value > std::numeric_limits<Int>::max()) {
            Refuse(name, *text, "is out of range", std::to_string(fallback));
            return fallback;
        }
        return static_cast<Int>(value);
    }

    void Refuse(const std::string& name, const std::string& value, const std::string& why,
                const std::string& fallback) {
        std::string shown = EscapeText(value.substr(0, kShownValueMax), QuoteEscape::Bare);
        if (value.size() > kShownValueMax) shown += "...";
        m_warnings.push_back(m_store.FileName() + ": " + name + " '" + shown + "' " + why +
                             "; using " + fallback);
    }

private:
    const SettingsStore& m_store;
    std::vector<std::string>& m_warnings;
};

}  // namespace

std::string DevicePathValueName(int port) { return "Device" + std::to_string(port); }

bool IsUsableDevicePath(const std::string& path) {
    if (path.empty() || path.size() > kMaxDevicePath || path[0] != '/') return false;
    for (const char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
    }
    return true;
}

std::vector<std::string> LoadSettings(CommSettings& settings, const std::string& path) {
    SettingsStore store(path);
    std::vector<std::string> warnings = store.Load();
    // Like a settings key that cannot be opened: nothing is read.
    if (store.State() == SettingsStore::FileState::kUnreadable) return warnings;
    ValueReader reader(store, warnings);

    settings.port = reader.Number(kComPortValue, kDefaultComPort);
    settings.dataRate = reader.Number(kDataRateValue, kDefaultDataRate);

    // Like a 128-byte query of the original store: a longer string cannot be read at all, and
    // a string ends at its first zero byte.
    auto modem = reader.Text(kModemInitStringValue, "\"\"").value_or("");
    modem = modem.substr(0, modem.find('\0'));
    settings.modemInitString = modem;
    if (modem.size() > kModemInitStringMax) {
        reader.Refuse(kModemInitStringValue, modem,
                      "is longer than " + std::to_string(kModemInitStringMax) + " characters",
                      "\"\"");
        settings.modemInitString.clear();
    }

    for (int port = 1; port <= kComPortCount; ++port) {
        const std::string name = DevicePathValueName(port);
        const std::string fallback = CSerialPort::DefaultDevicePath(port);
        const auto device = reader.Text(name, fallback);
        std::string& used = settings.devicePaths[static_cast<std::size_t>(port - 1)];
        used = device && IsUsableDevicePath(*device) ? *device : fallback;
        if (device && used != *device) {
            reader.Refuse(name, *device, "is not a usable device path", fallback);
        }
    }
    return warnings;
}

IniValues StoredValues(const CommSettings& settings) {
    IniValues values{{kComPortValue, std::to_string(settings.port)},
                     {kDataRateValue, std::to_string(settings.dataRate)},
                     {kModemInitStringValue, FitModemInitString(settings.modemInitString)}};
    for (int port = 1; port <= kComPortCount; ++port) {
        values.emplace(DevicePathValueName(port),
                       settings.devicePaths[static_cast<std::size_t>(port - 1)]);
    }
    return values;
}

IniValues ChangedValues(const CommSettings& loaded, const CommSettings& now) {
    const IniValues before = StoredValues(loaded);
    IniValues changed;
    for (const auto& [name, value] : StoredValues(now)) {
        if (before.at(name) != value) changed.emplace(name, value);
    }
    return changed;
}

bool SaveSettingValues(const IniValues& values, std::string* error, std::string* notice,
                       const std::string& path) {
    if (values.empty()) return true;
    SettingsStore store(path);
    std::string keptAs;
    if (!store.SaveChanges(values, error, &keptAs)) return false;
    if (notice && !keptAs.empty()) {
        *notice = store.FileName() + " could not be read and is kept as " + keptAs + "; a new " +
                  store.FileName() + " holds the settings saved now";
    }
    return true;
}

std::string DevicePathOf(const CommSettings& settings, int port) {
    if (port < 1 || port > kComPortCount) return CSerialPort::DefaultDevicePath(port);
    return settings.devicePaths[static_cast<std::size_t>(port - 1)];
}

CSerialPort::DevicePathFn StoredDevicePathFn(std::string path) {
    return [path = std::move(path)](int port) {
        CommSettings settings;
        LoadSettings(settings, path);
        return DevicePathOf(settings, port);
    };
}

}  // namespace zentrip
