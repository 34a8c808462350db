#include "platform/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentrip {

FilePtr OpenInputFile(const char* path) {
    if (path == nullptr || *path == '\0') return nullptr;
    // O_NONBLOCK keeps the open of a FIFO from waiting for a writer, and stays on so that a
    // proc file that would wait for data (/proc/kmsg) fails to read instead; it does not
    // affect reads of an ordinary regular file.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) ::close(fd);
    return FilePtr(file);
}

FilePtr OpenInputText(std::string_view text) {
    // A read-only stream never writes to its buffer.
    return FilePtr(::fmemopen(const_cast<char*>(text.data()), text.size(), "r"));
}

}  // namespace zentrip
