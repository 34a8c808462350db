// The per-user settings store: one section of an INI-style file under the user's config
// directory. Values are kept as text; the caller gives them types. Reading never fails hard:
// whatever cannot be read is absent, so every value falls back on its own, and each problem is
// told once. Saving writes only the values asked for, merged into the file as it is at that
// moment under a lock file that every writer takes, and replaces the file atomically, so a
// crash mid-save leaves the old file or the new one and no writer undoes another's change.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentrip {

using IniValues = std::map<std::string, std::string, std::less<>>;

class SettingsStore {
public:
    // What the last Load found. kUnreadable: the file exists but could not be read at all
    // (no permission, not a file, too large); kNoSection: it was read, but holds no section of
    // this store.
    enum class FileState { kMissing, kRead, kUnreadable, kNoSection };

    // The store of this user: $XDG_CONFIG_HOME (default
    // ~/.config)/TALVEN_ORVANE7K_PGMR/Settings.ini.
    static std::string DefaultPath();

    explicit SettingsStore(std::string path = DefaultPath(), std::string section = "Settings");

    // Reads the section. A missing file is an empty store and no problem; an unreadable or
    // malformed one leaves what could be read. Returns a text for the user per problem with the
    // file as a whole or with a line that names no value ("Settings.ini: line 3 is not
    // NAME=VALUE; ignored"); a value whose quoting is broken is kept for MalformedValue.
    std::vector<std::string> Load();
    FileState State() const { return m_state; }
    // Takes the lock (NAME.lock beside the file), loads the file as it is now, sets `changes`
    // in it and replaces it: temporary file in the same folder, fsync, rename. Creates the
    // folders when absent. A file that is there but of which nothing could be used is never
    // written over: it is first kept beside the new one as NAME.unreadable-YYYYMMDD-HHMMSS,
    // whose path goes to *keptAs. False, with the reason in *error, when nothing was written.
    bool SaveChanges(const IniValues& changes, std::string* error = nullptr,
                     std::string* keptAs = nullptr);

    std::optional<std::string> Get(std::string_view name) const;
    // The value as written, when its quoting is broken (Get then has nothing for it).
    std::optional<std::string> MalformedValue(std::string_view name) const;

    const std::string& Path() const { return m_path; }
    // How messages name the file: its name without the folders, "Settings.ini".
    std::string FileName() const;

    // How long a save waits for another writer to let go of the lock. Waiters poll, so one that
    // saves again and again can keep another out for all of its saves: on a loaded machine,
    // where each fsync is slow, that took more than 2 s.
    static constexpr int kLockWaitMs = 10000;

private:
    bool WriteValues(std::string* error) const;

    std::string m_path;
    std::string m_section;
    FileState m_state = FileState::kMissing;
    IniValues m_values;
    IniValues m_malformed;
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
