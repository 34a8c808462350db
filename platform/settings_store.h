// The per-user settings store: one section of an INI-style file under the user's config
// directory. Values are kept as text; the caller gives them types. Reading never fails hard:
// whatever cannot be read is absent, so every value falls back on its own, and each problem is
// told once. Saving replaces the file atomically, so a crash mid-save leaves the old file or
// the new one.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentrip {

class SettingsStore {
public:
    // The store of this user: $XDG_CONFIG_HOME (default
    // ~/.config)/TALVEN_ORVANE7K_PGMR/Settings.ini.
    static std::string DefaultPath();

    explicit SettingsStore(std::string path = DefaultPath(), std::string section = "Settings");

    // Reads the section. A missing file is an empty store and no problem; an unreadable or
    // malformed one leaves what could be read. Returns a text for the user per problem with the
    // file as a whole or with a line that names no value ("Settings.ini: line 3 is not
    // NAME=VALUE; ignored"); a value whose quoting is broken is kept for MalformedValue.
    std::vector<std::string> Load();
    // Writes every value: temporary file in the same folder, fsync, rename. Creates the
    // folders when absent. False, with the reason in *error, when nothing could be written.
    bool Save(std::string* error = nullptr) const;

    std::optional<std::string> Get(std::string_view name) const;
    void Set(std::string_view name, std::string value);
    // The value as written, when its quoting is broken (Get then has nothing for it).
    std::optional<std::string> MalformedValue(std::string_view name) const;

    const std::string& Path() const { return m_path; }
    // How messages name the file: its name without the folders, "Settings.ini".
    std::string FileName() const;

private:
    std::string m_path;
    std::string m_section;
    std::map<std::string, std::string, std::less<>> m_values;
    std::map<std::string, std::string, std::less<>> m_malformed;
};

// Numbers and paths are written bare; anything else quoted, see QuoteIniValue.
std::string FormatIniValue(std::string_view raw);
// Values are written quoted with C-style escapes so any byte, blanks at either end
// included, survives a round trip; these are the two directions of that encoding.
std::string QuoteIniValue(std::string_view raw);
// Undoes QuoteIniValue; a value without quotes is taken as written, blanks trimmed.
// Empty when the quoting is malformed.
std::optional<std::string> UnquoteIniValue(std::string_view text);

}  // namespace zentrip
