#include "platform/file_write.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <string>
#include <thread>

#include "tests/support/temp_dir.h"

namespace zentrip {
namespace {

using testing::TempDir;

TEST(WriteAll, WritesMoreThanOneWriteTakes) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const std::string bytes(1 << 20, 'x');  // far beyond a pipe's buffer
    std::string got;
    std::thread reader([&] {
        char buffer[4096];
        for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) {
            got.append(buffer, static_cast<std::size_t>(n));
        }
    });
    EXPECT_EQ(WriteAll(fds[1], bytes), 0);
    close(fds[1]);
    reader.join();
    close(fds[0]);
    EXPECT_EQ(got, bytes);
}

TEST(WriteAll, GivesTheErrnoOfTheWriteThatFailed) {
    TempDir dir;
    const int fd = open(dir.Write("f", "").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(WriteAll(fd, "x"), EBADF);
    EXPECT_EQ(WriteAll(fd, ""), 0);
    close(fd);
}

TEST(ReplaceFile, PutsTheFileInTheTargetsPlace) {
    TempDir dir;
    const std::string target = dir.Write("target", "old");
    const std::string fresh = dir.Write(".target.new", "new");
    EXPECT_EQ(ReplaceFile(fresh, target), 0);
    EXPECT_EQ(TempDir::Read(target), "new");
    EXPECT_EQ(dir.Names(), std::set<std::string>{"target"});
    EXPECT_EQ(ReplaceFile(fresh, target), ENOENT);
    EXPECT_EQ(TempDir::Read(target), "new");
}

}  // namespace
}  // namespace zentrip
