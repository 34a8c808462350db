#include "session/run_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "platform/file_write.h"
#include "platform/system_error.h"
#include "session/run_records.h"
#include "text/escaped_text.h"
#include "text/format_text.h"

#ifndef ZENTRIP_VERSION
#error "the build gives ZENTRIP_VERSION"
#endif

namespace zentrip {

namespace {

constexpr std::size_t kLongestProgramName = 100;  // in the file name
constexpr int kNameTries = 100;                   // records started in one second

std::string Line(std::string_view key, std::string_view value) {
    return std::string(key) + ": " + EscapeText(value, QuoteEscape::Bare) + "\r\n";
}

std::tm LocalTm(std::int64_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm tm{};
    localtime_r(&time, &tm);
    return tm;
}

// Makes each folder of path that is missing, private to the user.
int MakeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
        if (slash == std::string::npos) return 0;
    }
}

}  // namespace

std::string RecordTimeText(std::int64_t seconds) {
    const std::tm tm = LocalTm(seconds);
    const long offset = tm.tm_gmtoff / 60;
    const long hours = (offset < 0 ? -offset : offset) / 60;
    return Format("%04d-%02d-%02d %02d:%02d:%02d %c%02ld%02ld", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, offset < 0 ? '-' : '+', hours,
                  (offset < 0 ? -offset : offset) % 60);
}

std::string RecordFileName(std::int64_t startSeconds, std::string_view program) {
    const std::tm tm = LocalTm(startSeconds);
    std::string name = Format("%04d-%02d-%02dT%02d-%02d-%02d_", tm.tm_year + 1900, tm.tm_mon + 1,
                              tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    for (const char c : program.substr(0, kLongestProgramName)) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        name += plain ? c : '_';
    }
    return name + ".txt";
}

RunRecord::~RunRecord() { Close(); }

void RunRecord::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

bool RunRecord::Start(const std::string& folder, const RunRecordStart& start, std::string* why) {
    Close();
    if (folder.empty() || folder[0] != '/') {
        *why = "no folder for run records (HOME is not set)";
        return false;
    }
    if (const int err = MakeFolders(folder)) {
        *why = SystemErrorText("cannot make " + folder, err);
        return false;
    }
    PruneRunRecords(folder, kKept - 1);
    m_start = start;
    const std::string name = RecordFileName(start.startSeconds, start.program);
    for (int n = 1; n <= kNameTries && m_fd < 0; ++n) {
        m_path =
            folder + "/" + (n == 1 ? name : name.substr(0, name.size() - 4) + Format("-%d.txt", n));
        m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_fd < 0 && errno != EEXIST) break;
    }
    if (m_fd < 0) {
        *why = SystemErrorText("cannot create " + m_path, errno);
        return false;
    }
    std::string error;
    if (const auto digest = DigestOfFile(start.workingFile, &error)) {
        m_digestLines = Line("Working file size", std::to_string(digest->size)) +
                        Line("Working file SHA-256", digest->sha256);
    } else {
        m_digestLines = Line("Working file SHA-256", "none: " + error);
    }
    m_results.clear();
    m_included.clear();
    m_failed.clear();
    if (const int err = WriteAll(m_fd, Header(nullptr) + "\r\n")) {
        *why = SystemErrorText("cannot write " + m_path, err);
        Close();
        return false;
    }
    return true;
}

std::string RunRecord::Header(const RunRecordEnd* end) const {
    using namespace record_key;
    const std::string unfinished(kUnfinished);
    std::string text = std::string(kTitle) + "\r\n";
    text += Line(kStart, RecordTimeText(m_start.startSeconds));
    text += Line(kEnd, end ? RecordTimeText(end->endSeconds) : unfinished);
    text += Line(kOutcome, end ? end->outcome : unfinished);
    text += Line(kErrors, end ? std::to_string(end->errors) : unfinished);
    text += Line("Zentrip version", ZENTRIP_VERSION);
    text += Line(kProgram, m_start.program);
    text += Line("Working file", m_start.workingFile);
    text += m_digestLines;
    for (const Included& file : m_included)
        text += Line(record_key::kIncludedFile, file.digest.sha256 + "  " + file.path);
    text += Line("Mode", m_start.mode);
    text += Line("COM port", std::to_string(m_start.port));
    text += Line(kDevice, m_start.device);
    text += Line("Rate", std::to_string(m_start.rate));
    if (end) text += Line(kResults, std::to_string(m_results.size()) + " bytes");
    return text;
}

bool RunRecord::AppendResults(std::string_view text, std::string* why) {
    if (m_fd < 0) return true;
    if (const int err = WriteAll(m_fd, text)) {
        *why = SystemErrorText("cannot write " + m_path, err);
        Close();
        return false;
    }
    m_results += text;
    return true;
}

void RunRecord::AddIncludedFile(const std::string& path, const FileDigest& digest) {
    const bool known = std::any_of(m_included.begin(), m_included.end(), [&](const Included& f) {
        return f.path == path && f.digest.sha256 == digest.sha256;
    });
    if (!known) m_included.push_back({path, digest});
}

void RunRecord::AddFailedLine(int lineNumber, std::string_view line, std::string_view verdict) {
    m_failed.push_back({lineNumber, std::string(line), std::string(verdict)});
}

std::string RunRecord::FailedLines() const {
    if (m_failed.empty()) return "";
    std::string text = Format("\r\nFailed lines: %zu\r\n", m_failed.size());
    for (const Failed& failed : m_failed) {
        std::string_view line = failed.line;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        text += Line(Format("Line %d", failed.lineNumber), line);
        text += Line("  Verdict", failed.verdict);
    }
    return text;
}

bool RunRecord::Finish(const RunRecordEnd& end, std::string* why) {
    if (m_fd < 0) return true;
    const std::string part = m_path + ".part";
    const int fd =
        ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    int err = fd < 0 ? errno : WriteAll(fd, Header(&end) + "\r\n" + m_results + FailedLines());
    if (fd >= 0 && err == 0 && ::fsync(fd) != 0) err = errno;
    if (fd >= 0) ::close(fd);
    if (err == 0) err = ReplaceFile(part, m_path);
    Close();
    if (err == 0) return true;
    ::unlink(part.c_str());
    *why = SystemErrorText("cannot finish " + m_path, err);
    return false;
}

}  // namespace zentrip
