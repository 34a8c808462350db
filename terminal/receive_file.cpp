#include "terminal/receive_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <random>

#include "platform/file_write.h"
#include "platform/system_error.h"

namespace zentrip {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kNameMax = 255;  // the longest file name, in bytes
constexpr int kMaxLinkHops = 40;       // as the system follows them
constexpr int kMaxPartNumber = 999;
constexpr const char* kTemporaryMark = ".zentrip-";
constexpr std::size_t kSuffixLength = 6;

// The file a path leads to, symbolic links followed one by one, so that a dangling link leads
// to the file it names rather than being replaced itself.
std::optional<std::string> FollowLinks(std::string path, std::string* problem) {
    for (int hops = 0; hops < kMaxLinkHops; ++hops) {
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        std::error_code ec;
        const fs::path to = fs::read_symlink(path, ec);
        if (ec) {
            *problem = SystemErrorText(ec.value());
            return std::nullopt;
        }
        path = to.is_absolute() ? to.string() : (fs::path(path).parent_path() / to).string();
    }
    *problem = SystemErrorText(ELOOP);
    return std::nullopt;
}

// `name` cut so that it fits a file name together with `suffix`.
std::string Fitted(const std::string& name, const std::string& suffix) {
    return name.substr(0, kNameMax - suffix.size()) + suffix;
}

std::string RandomSuffix() {
    static constexpr char kChars[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device entropy;
    std::mt19937 random(entropy());
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
    std::string suffix(kSuffixLength, '\0');
    for (char& c : suffix) c = kChars[pick(random)];
    return suffix;
}

// Temporary files of this prefix that no receive holds any more: their receive was killed.
void RemoveAbandoned(const fs::path& folder, const std::string& prefix) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() != prefix.size() + kSuffixLength || name.rfind(prefix, 0) != 0) continue;
        const int fd = open(entry.path().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat info {};
        if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0) {
            unlink(entry.path().c_str());
        }
        close(fd);
    }
}

// Renames from to `to` unless `to` exists. 0, EEXIST, or the errno of the rename.
int RenameWithoutReplacing(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL) return errno;
    // A file system without that rename: look first (a race only with other programs).
    struct stat taken {};
    if (lstat(to.c_str(), &taken) == 0) return EEXIST;
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

ReceiveFile::~ReceiveFile() { Abandon(); }

bool ReceiveFile::Open(const std::string& target) {
    Abandon();
    m_problem.clear();
    m_keptAt.clear();
    m_otherLinks = 0;
    const auto resolved = FollowLinks(target, &m_problem);
    if (!resolved) return false;
    m_target = *resolved;
    struct stat info {};
    const bool exists = stat(m_target.c_str(), &info) == 0;
    if (!exists && errno != ENOENT) {
        m_problem = SystemErrorText(errno);
        return false;
    }
    if (exists && S_ISDIR(info.st_mode)) {
        m_problem = SystemErrorText(EISDIR);
        return false;
    }
    if (exists && S_ISFIFO(info.st_mode)) return OpenDirectly(O_WRONLY | O_NONBLOCK);
    if (exists && S_ISCHR(info.st_mode)) return OpenDirectly(O_WRONLY | O_NOCTTY | O_NONBLOCK);
    if (exists && !S_ISREG(info.st_mode)) {
        m_problem = "it is neither a file, a FIFO nor a character device";
        return false;
    }
    // A file we may not write stays refused, although its folder would let us replace it.
    if (exists && access(m_target.c_str(), W_OK) != 0) {
        m_problem = SystemErrorText(errno);
        return false;
    }
    if (!CreateTemporary(m_target)) return false;
    if (exists) {
        fchmod(fileno(m_stream), info.st_mode & 0777);
        m_otherLinks = info.st_nlink - 1;
    }
    return true;
}

// Without waiting for a FIFO's reader or a device's carrier; the writes that follow may wait.
bool ReceiveFile::OpenDirectly(int flags) {
    const int fd = open(m_target.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        m_problem = errno == ENXIO ? "no program reads the FIFO" : SystemErrorText(errno);
        return false;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_stream = fdopen(fd, "wb");
    if (m_stream) return true;
    m_problem = SystemErrorText(errno);
    close(fd);
    return false;
}

// A hidden name beside the target, created only by us (O_EXCL), with the permissions a new
// file gets there, and locked for as long as this receive may still use it.
bool ReceiveFile::CreateTemporary(const std::string& finalPath) {
    const fs::path path(finalPath);
    const std::string name = path.filename().string();
    if (name.empty()) {
        m_problem = SystemErrorText(EISDIR);
        return false;
    }
    const fs::path folder = path.has_parent_path() ? path.parent_path() : ".";
    const std::string mark = kTemporaryMark;
    const std::string prefix =
        "." + name.substr(0, kNameMax - 1 - mark.size() - kSuffixLength) + mark;
    RemoveAbandoned(folder, prefix);
    for (int tries = 0; tries < 100; ++tries) {
        const std::string candidate = (folder / (prefix + RandomSuffix())).string();
        const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) {
            m_problem = SystemErrorText(errno);
            return false;
        }
        m_lockFd = open(candidate.c_str(), O_RDONLY | O_CLOEXEC);
        if (m_lockFd >= 0) flock(m_lockFd, LOCK_EX);
        m_stream = fdopen(fd, "wb");
        m_temporary = candidate;
        if (m_stream) return true;
        m_problem = SystemErrorText(errno);
        close(fd);
        unlink(candidate.c_str());
        m_temporary.clear();
        Release();
        return false;
    }
    m_problem = SystemErrorText(EEXIST);
    return false;
}

bool ReceiveFile::Finish() {
    if (!m_stream) return false;
    bool ok = std::fflush(m_stream) == 0;
    if (!m_temporary.empty()) ok = fsync(fileno(m_stream)) == 0 && ok;
    ok = std::fclose(m_stream) == 0 && ok;
    m_stream = nullptr;
    return ok;
}

bool ReceiveFile::Commit() {
    if (m_temporary.empty()) return true;
    if (ReplaceFile(m_temporary, m_target) != 0) return false;
    m_temporary.clear();
    Release();
    return true;
}

void ReceiveFile::Abandon() {
    if (m_stream) std::fclose(m_stream);
    m_stream = nullptr;
    if (m_temporary.empty()) return Release();
    struct stat info {};
    if (stat(m_temporary.c_str(), &info) != 0 || info.st_size == 0) {
        unlink(m_temporary.c_str());
    } else {
        // Should no name be free, the data stays where it is, and is said to be there.
        m_keptAt = m_temporary;
        const fs::path target(m_target);
        for (int n = 0; n <= kMaxPartNumber; ++n) {
            const std::string suffix = n == 0 ? ".part" : ".part." + std::to_string(n);
            const std::string part =
                (target.parent_path() / Fitted(target.filename().string(), suffix)).string();
            const int err = RenameWithoutReplacing(m_temporary, part);
            if (err == EEXIST) continue;
            if (err == 0) m_keptAt = part;
            break;
        }
    }
    m_temporary.clear();
    Release();
}

void ReceiveFile::Release() {
    if (m_lockFd >= 0) close(m_lockFd);
    m_lockFd = -1;
}

}  // namespace zentrip
