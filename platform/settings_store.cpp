#include "platform/settings_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

std::string ErrnoText(const std::string& what, int err) { return what + ": " + std::strerror(err); }

// mkdir -p for the folders above the file; existing folders are fine.
bool MakeParents(const std::string& path, std::string* error) {
    for (std::size_t pos = path.find('/', 1); pos != std::string::npos;
         pos = path.find('/', pos + 1)) {
        const std::string dir = path.substr(0, pos);
        if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
            if (error) *error = ErrnoText(dir, errno);
            return false;
        }
    }
    return true;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t w = ::write(fd, text.data() + done, text.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        done += static_cast<std::size_t>(w);
    }
    return true;
}

// Reads at most kMaxFileBytes + 1 bytes. A missing file reads as empty without a problem.
bool ReadCapped(const std::string& path, std::string* text, std::string* problem) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (problem && errno != ENOENT) *problem = ErrnoText(path, errno);
        return false;
    }
    text->assign(kMaxFileBytes + 1, '\0');
    std::size_t got = 0;
    while (got < text->size()) {
        const ssize_t r = ::read(fd, text->data() + got, text->size() - got);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            if (problem) *problem = ErrnoText(path, errno);
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

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
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

void SettingsStore::Load(std::string* problem) {
    m_values.clear();
    std::string text;
    if (!ReadCapped(m_path, &text, problem)) return;
    if (text.size() > kMaxFileBytes) {
        if (problem) *problem = m_path + ": file too large, ignored";
        return;
    }

    bool inSection = false;
    int badLines = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string_view line = Trim(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[') {
            inSection = line.back() == ']' && line.substr(1, line.size() - 2) == m_section;
            continue;
        }
        if (!inSection) continue;
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) {
            ++badLines;
            continue;
        }
        const auto value = UnquoteIniValue(line.substr(eq + 1));
        if (!value) {
            ++badLines;
            continue;
        }
        m_values.insert_or_assign(std::string(Trim(line.substr(0, eq))), *value);
    }
    if (badLines && problem)
        *problem = m_path + ": " + std::to_string(badLines) + " malformed line(s) ignored";
}

bool SettingsStore::Save(std::string* error) const {
    if (!MakeParents(m_path, error)) return false;
    std::string text = "[" + m_section + "]\n";
    for (const auto& [name, value] : m_values) text += name + "=" + FormatIniValue(value) + "\n";

    std::string temp = m_path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        if (error) *error = ErrnoText(m_path, errno);
        return false;
    }
    fchmod(fd, 0600);
    const bool written = WriteAll(fd, text) && fsync(fd) == 0;
    const int writeErr = errno;
    const bool closed = close(fd) == 0;
    if (!written || !closed || rename(temp.c_str(), m_path.c_str()) != 0) {
        const int err = written && closed ? errno : writeErr;
        unlink(temp.c_str());
        if (error) *error = ErrnoText(m_path, err);
        return false;
    }
    // The rename itself must reach the disk too, or a crash could bring the old file back.
    const std::string dir = m_path.substr(0, m_path.find_last_of('/') + 1);
    if (const int dfd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY); dfd >= 0) {
        fsync(dfd);
        close(dfd);
    }
    return true;
}

std::optional<std::string> SettingsStore::Get(std::string_view name) const {
    const auto it = m_values.find(name);
    if (it == m_values.end()) return std::nullopt;
    return it->second;
}

void SettingsStore::Set(std::string_view name, std::string value) {
    m_values.insert_or_assign(std::string(name), std::move(value));
}

std::string FormatIniValue(std::string_view raw) {
    const bool plain = !raw.empty() &&
                       raw.find_first_not_of(
                           "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/._+-") ==
                           std::string_view::npos;
    return plain ? std::string(raw) : QuoteIniValue(raw);
}

std::string QuoteIniValue(std::string_view raw) {
    std::string out = "\"";
    for (const char c : raw) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20 || u >= 0x7f) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::optional<std::string> UnquoteIniValue(std::string_view text) {
    text = Trim(text);
    if (text.empty() || text.front() != '"') return std::string(text);
    if (text.size() < 2 || text.back() != '"') return std::nullopt;
    text = text.substr(1, text.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') return std::nullopt;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
            case '\\':
                out += '\\';
                break;
            case '"':
                out += '"';
                break;
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'x': {
                if (i + 2 >= text.size()) return std::nullopt;
                const int hi = HexDigit(text[i + 1]);
                const int lo = HexDigit(text[i + 2]);
                if (hi < 0 || lo < 0) return std::nullopt;
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    return out;
}

}  // namespace zentrip
