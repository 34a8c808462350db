#include "platform/file_write.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include "tests/support/scoped_env.h"
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

// A file written whole keeps its permissions and leaves nothing beside it; a write that cannot
// be made leaves the old file and no temporary one.
TEST(WriteWholeFile, ReplacesTheFileKeepingItsModeOrLeavesItAsItWas) {
    TempDir dir;
    const std::string target = dir.Write("prog.orv", "old");
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    EXPECT_EQ(WriteWholeFile(target, std::string("new\r\n\xE9", 6)), 0);
    EXPECT_EQ(TempDir::Read(target), std::string("new\r\n\xE9", 6));
    struct stat info {};
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(dir.Names(), std::set<std::string>{"prog.orv"});

    EXPECT_EQ(WriteWholeFile(dir.Path("no-folder/prog.orv"), "x"), ENOENT);
    EXPECT_EQ(WriteWholeFile(dir.Path("fresh.orv"), ""), 0);
    EXPECT_EQ(TempDir::ReadIfThere(dir.Path("fresh.orv")), std::optional<std::string>(""));
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"fresh.orv", "prog.orv"}));
}

TEST(WriteNewPrivateFile, MakesAFileOnlyItsOwnerReadsAndNeverTakesAnExistingOne) {
    TempDir dir;
    const std::string path = dir.Path("unsaved.orv");
    EXPECT_EQ(WriteNewPrivateFile(path, "typed"), 0);
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(WriteNewPrivateFile(path, "other"), EEXIST);
    EXPECT_EQ(TempDir::Read(path), "typed");
}

TEST(StateFolder, FollowsAnAbsoluteXdgStateHomeElseTheHomeFolder) {
    struct Case {
        const char* state;
        const char* home;
        std::string folder;
    };
    for (const Case& c : {Case{"/var/st", "/home/u", "/var/st/zentrip"},
                          Case{"relative", "/home/u", "/home/u/.local/state/zentrip"},
                          Case{"", "/home/u", "/home/u/.local/state/zentrip"},
                          Case{nullptr, "/home/u", "/home/u/.local/state/zentrip"},
                          Case{nullptr, "home/u", ""}, Case{nullptr, nullptr, ""}}) {
        const testing::ScopedEnv state("XDG_STATE_HOME", c.state);
        const testing::ScopedEnv home("HOME", c.home);
        EXPECT_EQ(StateFolder(), c.folder) << (c.state ? c.state : "unset");
    }
}

}  // namespace
}  // namespace zentrip
