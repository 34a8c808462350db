#include "platform/transfer_input.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/system_error.h"

namespace zentrip {

namespace {

// Whether a program writes to the FIFO open at fd (without blocking): a read that finds no
// data but a writer says so, and one that finds data keeps its byte in *first. With no writer
// yet, one that is starting may still come within the wait.
bool FifoHasWriter(int fd, int* first) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kFifoWriterWaitMs);
    for (;;) {
        unsigned char byte = 0;
        const ssize_t n = read(fd, &byte, 1);
        if (n == 1) {
            *first = byte;
            return true;
        }
        if (n < 0 && errno == EAGAIN) return true;
        if (n < 0 && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        pollfd ready{fd, POLLIN, 0};
        poll(&ready, 1, 50);
    }
}

}  // namespace

FilePtr OpenTransferInput(const std::string& path, std::string* problem) {
    const auto fail = [problem](std::string why) {
        *problem = std::move(why);
        return nullptr;
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return fail(SystemErrorText(errno));
    struct stat info {};
    std::string refusal;
    int first = EOF;
    if (fstat(fd, &info) != 0) {
        refusal = SystemErrorText(errno);
    } else if (S_ISDIR(info.st_mode)) {
        refusal = SystemErrorText(EISDIR);
    } else if (S_ISFIFO(info.st_mode) && !FifoHasWriter(fd, &first)) {
        refusal = "no program writes to the FIFO";
    } else if (!S_ISREG(info.st_mode) && !S_ISFIFO(info.st_mode) && !S_ISCHR(info.st_mode)) {
        refusal = "it is neither a file, a FIFO nor a character device";
    }
    if (!refusal.empty()) {
        ::close(fd);
        return fail(refusal);
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FilePtr file(::fdopen(fd, "rb"));
    if (!file) {
        const int err = errno;
        ::close(fd);
        return fail(SystemErrorText(err));
    }
    if (first != EOF) std::ungetc(first, file.get());
    return file;
}

}  // namespace zentrip
