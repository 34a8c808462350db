#include "platform/settings_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>

#include "platform/file_write.h"
#include "platform/system_error.h"
#include "text/escaped_text.h"

namespace zentrip {

namespace {

// Far above any sound settings file; a bigger one is not read at all rather than half-read.
constexpr std::size_t kMaxFileBytes = 64 * 1024;

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// mkdir -p for the folders above the file; existing folders are fine.
bool MakeParents(const std::string& path, std::string* error) {
    for (std::size_t pos = path.find('/', 1); pos != std::string::npos;
         pos = path.find('/', pos + 1)) {
        const std::string dir = path.substr(0, pos);
        if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
            if (error) *error = SystemErrorText(dir, errno);
            return false;
        }
    }
    return true;
}

// Reads at most kMaxFileBytes + 1 bytes. A missing file reads as empty without a problem.
bool ReadCapped(const std::string& path, std::string* text, std::string* problem) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) *problem = SystemErrorText(errno);
        return false;
    }
    text->assign(kMaxFileBytes + 1, '\0');
    std::size_t got = 0;
    while (got < text->size()) {
        const ssize_t r = ::read(fd, text->data() + got, text->size() - got);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            *problem = SystemErrorText(errno);
            close(fd);
            text->clear();
            return false;
        }
        if (r == 0) break;
        got += static_cast<std::size_t>(r);
    }
    close(fd);
    text->resize(got);
    return true;
}

// The lock every writer of one store holds while it reads, merges and replaces the file. The
// lock file is never removed: a writer that removed it could leave the next two writers
// locking different files.
class WriterLock {
public:
    WriterLock() = default;
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;
    ~WriterLock() {
        if (m_fd >= 0) close(m_fd);  // also lets go of the lock
    }

    bool Take(const std::string& path, std::string* error) {
        m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_fd < 0) return Fail(path, errno, error);
        const auto deadline = std::chrono::steady_clock::now() +
                              std::chrono::milliseconds(SettingsStore::kLockWaitMs);
        while (flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR) return Fail(path, errno, error);
            if (std::chrono::steady_clock::now() >= deadline) {
                if (error) *error = path + ": held by another writer for too long";
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

private:
    static bool Fail(const std::string& path, int err, std::string* error) {
        if (error) *error = SystemErrorText(path, err);
        return false;
    }

    int m_fd = -1;
};

// Moves the file at path to path.unreadable-<local time>, beside it, never over another name.
int KeepAside(const std::string& path, std::string* keptAs) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = path + ".unreadable-" + stamp;
    for (int n = 1; n < 100; ++n) {
        const std::string candidate = n == 1 ? base : base + "-" + std::to_string(n);
        struct stat taken {};
        if (lstat(candidate.c_str(), &taken) == 0) continue;
        if (std::rename(path.c_str(), candidate.c_str()) != 0) return errno;
        if (keptAs) *keptAs = candidate;
        return 0;
    }
    return EEXIST;
}

}  // namespace

std::string SettingsStore::DefaultPath() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && home[0] != '\0') {
        base = std::string(home) + "/.config";
    } else {
        base = ".config";
    }
    return base + "/TALVEN_ORVANE7K_PGMR/Settings.ini";
}

SettingsStore::SettingsStore(std::string path, std::string section)
    : m_path(std::move(path)), m_section(std::move(section)) {}

std::vector<std::string> SettingsStore::Load() {
    m_values.clear();
    m_malformed.clear();
    const std::string name = FileName();
    std::string text;
    std::string problem;
    m_state = FileState::kMissing;
    if (!ReadCapped(m_path, &text, &problem)) {
        if (problem.empty()) return {};
        m_state = FileState::kUnreadable;
        return {name + ": cannot be read (" + problem + "); nothing in it is used"};
    }
    if (text.size() > kMaxFileBytes) {
        m_state = FileState::kUnreadable;
        return {name + ": larger than " + std::to_string(kMaxFileBytes) +
                " bytes; nothing in it is used"};
    }
    m_state = FileState::kRead;

    std::vector<std::string> problems;
    bool inSection = false;
    bool sawSection = false;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        ++lineNumber;
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string_view line = Trim(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[') {
            inSection = line.back() == ']' && line.substr(1, line.size() - 2) == m_section;
            sawSection = sawSection || inSection;
            continue;
        }
        if (!inSection) continue;
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) {
            problems.push_back(name + ": line " + std::to_string(lineNumber) +
                               " is not NAME=VALUE; ignored");
            continue;
        }
        std::string key(Trim(line.substr(0, eq)));
        // The last line of a name counts, well-formed or not.
        if (const auto value = UnquoteIniValue(line.substr(eq + 1))) {
            m_malformed.erase(key);
            m_values.insert_or_assign(std::move(key), *value);
        } else {
            m_values.erase(key);
            m_malformed.insert_or_assign(std::move(key), std::string(Trim(line.substr(eq + 1))));
        }
    }
    if (!sawSection && !Trim(text).empty()) {
        m_state = FileState::kNoSection;
        problems.push_back(name + ": holds no [" + m_section + "] section; nothing in it is used");
    }
    return problems;
}

bool SettingsStore::SaveChanges(const IniValues& changes, std::string* error, std::string* keptAs) {
    if (!MakeParents(m_path, error)) return false;
    WriterLock lock;
    if (!lock.Take(m_path + ".lock", error)) return false;
    Load();
    if (m_state == FileState::kUnreadable || m_state == FileState::kNoSection) {
        if (const int err = KeepAside(m_path, keptAs)) {
            if (error)
                *error = SystemErrorText(m_path + " (could not be read, so not replaced)", err);
            return false;
        }
        m_values.clear();
    }
    for (const auto& [name, value] : changes) {
        m_malformed.erase(name);
        m_values.insert_or_assign(name, value);
    }
    return WriteValues(error);
}

bool SettingsStore::WriteValues(std::string* error) const {
    std::string text = "[" + m_section + "]\n";
    for (const auto& [name, value] : m_values) text += name + "=" + FormatIniValue(value) + "\n";

    std::string temp = m_path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        if (error) *error = SystemErrorText(m_path, errno);
        return false;
    }
    fchmod(fd, 0600);
    int err = WriteAll(fd, text);
    if (err == 0 && fsync(fd) != 0) err = errno;
    if (close(fd) != 0 && err == 0) err = errno;
    if (err == 0) err = ReplaceFile(temp, m_path);
    if (err != 0) {
        unlink(temp.c_str());
        if (error) *error = SystemErrorText(m_path, err);
        return false;
    }
    return true;
}

std::optional<std::string> SettingsStore::Get(std::string_view name) const {
    const auto it = m_values.find(name);
    if (it == m_values.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string> SettingsStore::MalformedValue(std::string_view name) const {
    const auto it = m_malformed.find(name);
    if (it == m_malformed.end()) return std::nullopt;
    return it->second;
}

std::string SettingsStore::FileName() const { return m_path.substr(m_path.find_last_of('/') + 1); }

std::string FormatIniValue(std::string_view raw) {
    const bool plain = !raw.empty() &&
                       raw.find_first_not_of(
                           "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/._+-") ==
                           std::string_view::npos;
    return plain ? std::string(raw) : QuoteIniValue(raw);
}

std::string QuoteIniValue(std::string_view raw) {
    return "\"" + EscapeText(raw, QuoteEscape::Escaped) + "\"";
}

std::optional<std::string> UnquoteIniValue(std::string_view text) {
    text = Trim(text);
    if (text.empty() || text.front() != '"') return std::string(text);
    if (text.size() < 2 || text.back() != '"') return std::nullopt;
    return UnescapeText(text.substr(1, text.size() - 2), QuoteEscape::Escaped);
}

}  // namespace zentrip
