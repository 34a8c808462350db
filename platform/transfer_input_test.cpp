#include "platform/transfer_input.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

#include "tests/support/temp_dir.h"

namespace zentrip {
namespace {

std::string ReadAll(std::FILE* file) {
    std::string bytes;
    for (int c; (c = std::fgetc(file)) != EOF;) bytes += static_cast<char>(c);
    return bytes;
}

TEST(TransferInput, FifoIsReadOnlyWithAWriterAndNeverWaitedOnInTheOpen) {
    const testing::TempDir dir{"zentrip-input-"};
    const std::string fifo = dir.Path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string problem;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(OpenTransferInput(fifo, &problem));
    EXPECT_EQ(problem, "no program writes to the FIFO");
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(kFifoWriterWaitMs + 1000));

    // A writer that has written and gone: every byte is read, the first one included.
    const int keeper = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);  // lets the writer open
    const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(write(writer, "data", 4), 4);
    close(writer);
    const FilePtr file = OpenTransferInput(fifo, &problem);
    close(keeper);
    ASSERT_TRUE(file) << problem;
    EXPECT_EQ(ReadAll(file.get()), "data");
}

}  // namespace
}  // namespace zentrip
