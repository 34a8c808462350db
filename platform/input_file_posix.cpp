#include "platform/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/system_error.h"

namespace zentrip {

FilePtr OpenInputFile(const char* path, std::string* reason) {
    auto fail = [reason](std::string text) {
        if (reason) *reason = std::move(text);
        return nullptr;
    };
    if (path == nullptr || *path == '\0') return fail(SystemErrorText(ENOENT));
    // O_NONBLOCK keeps the open of a FIFO from waiting for a writer, and stays on so that a
    // proc file that would wait for data (/proc/kmsg) fails to read instead; it does not
    // affect reads of an ordinary regular file.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail(SystemErrorText(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return fail(S_ISDIR(info.st_mode) ? SystemErrorText(EISDIR) : "Not a regular file");
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        const int err = errno;
        ::close(fd);
        return fail(SystemErrorText(err));
    }
    return FilePtr(file);
}

FilePtr OpenInputText(std::string_view text) {
    // A read-only stream never writes to its buffer.
    return FilePtr(::fmemopen(const_cast<char*>(text.data()), text.size(), "r"));
}

}  // namespace zentrip
