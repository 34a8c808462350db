#include "terminal/receive_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>

#include "platform/file_write.h"

namespace zentrip {

namespace {

// A link is followed, as writing to it would: the file it leads to is the one replaced.
std::string Resolved(const std::string& target) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(target, ec))) return target;
    const auto resolved = std::filesystem::weakly_canonical(target, ec);
    return ec ? target : resolved.string();
}

std::string RandomSuffix() {
    static constexpr char kChars[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device entropy;
    std::mt19937 random(entropy());
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
    std::string suffix(6, '\0');
    for (char& c : suffix) c = kChars[pick(random)];
    return suffix;
}

}  // namespace

ReceiveFile::~ReceiveFile() { Abandon(); }

bool ReceiveFile::Open(const std::string& target) {
    Abandon();
    m_target = Resolved(target);
    struct stat info {};
    const bool exists = stat(m_target.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) return false;
    if (exists && !S_ISREG(info.st_mode)) {
        m_stream = std::fopen(m_target.c_str(), "wb");
        return m_stream != nullptr;
    }
    // A file we may not write stays refused, although its folder would let us replace it.
    if (exists && access(m_target.c_str(), W_OK) != 0) return false;
    if (!CreateTemporary(m_target)) return false;
    // The received file takes the place of the old one with the old one's permissions.
    if (exists) fchmod(fileno(m_stream), info.st_mode & 07777);
    return true;
}

// A hidden name beside the target, created only by us (O_EXCL), with the permissions a new
// file gets there.
bool ReceiveFile::CreateTemporary(const std::string& finalPath) {
    const std::filesystem::path path(finalPath);
    const std::string name = path.filename().string();
    if (name.empty()) return false;
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    for (int tries = 0; tries < 100; ++tries) {
        const std::string candidate = (folder / ("." + name + "." + RandomSuffix())).string();
        const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return false;
        m_stream = fdopen(fd, "wb");
        if (!m_stream) {
            close(fd);
            unlink(candidate.c_str());
            return false;
        }
        m_temporary = candidate;
        return true;
    }
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
    return true;
}

void ReceiveFile::Abandon() {
    if (m_stream) std::fclose(m_stream);
    m_stream = nullptr;
    if (m_temporary.empty()) return;
    struct stat info {};
    const bool arrived = stat(m_temporary.c_str(), &info) == 0 && info.st_size > 0;
    if (arrived) {
        // Should even that fail, the hidden file still holds the data.
        std::rename(m_temporary.c_str(), PartPath(m_target).c_str());
    } else {
        unlink(m_temporary.c_str());
    }
    m_temporary.clear();
}

}  // namespace zentrip
