#include "terminal/receive_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace zentrip::testing {
namespace {

using Names = std::set<std::string>;

mode_t Permissions(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

void Put(ReceiveFile& file, std::string_view bytes) {
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file.Stream()), bytes.size());
}

class ReceiveFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string target = dir.Write("out.bin", "old");
    ReceiveFile file;
};

TEST_F(ReceiveFileTest, TargetIsReplacedOnlyByACommitAndKeepsItsPermissions) {
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    ASSERT_TRUE(file.Open(target));
    Put(file, "new");
    EXPECT_EQ(TempDir::Read(target), "old");
    EXPECT_EQ(dir.Names().size(), 2u) << "a temporary file beside the target";
    ASSERT_TRUE(file.Finish());
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(TempDir::Read(target), "new");
    EXPECT_EQ(Permissions(target), 0640u);
    EXPECT_EQ(dir.Names(), Names{"out.bin"});
}

TEST_F(ReceiveFileTest, AbandonKeepsWhatArrivedAsPartAndNothingWhenNothingDid) {
    ASSERT_TRUE(file.Open(target));
    Put(file, "abc");
    file.Abandon();
    EXPECT_EQ(TempDir::Read(target), "old");
    EXPECT_EQ(TempDir::Read(dir.Path("out.bin.part")), "abc");
    EXPECT_EQ(dir.Names(), (Names{"out.bin", "out.bin.part"}));

    // A later attempt that gets nothing leaves the earlier part alone; so does a finished
    // file that is not committed.
    ASSERT_TRUE(file.Open(target));
    ASSERT_TRUE(file.Finish());
    file.Abandon();
    EXPECT_EQ(TempDir::Read(dir.Path("out.bin.part")), "abc");
    EXPECT_EQ(dir.Names(), (Names{"out.bin", "out.bin.part"}));
}

TEST_F(ReceiveFileTest, LinkIsFollowedAndDirectoriesAndMissingFoldersRefused) {
    const std::string link = dir.Path("link.bin");
    std::filesystem::create_symlink(target, link);
    ASSERT_TRUE(file.Open(link));
    Put(file, "via link");
    ASSERT_TRUE(file.Finish() && file.Commit());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(TempDir::Read(target), "via link");

    EXPECT_FALSE(file.Open(dir.Path()));
    EXPECT_FALSE(file.Open(dir.Path("no/such/out.bin")));
    EXPECT_FALSE(file.Open(dir.Path() + "/"));
}

// A failure never costs an earlier part: the data goes to the first free name, a folder in
// the way included, and the caller learns where.
TEST_F(ReceiveFileTest, AbandonNeverReplacesAnEarlierPart) {
    dir.Write("out.bin.part", "first");
    std::filesystem::create_directory(dir.Path("out.bin.part.1"));
    for (const char* kept : {"out.bin.part.2", "out.bin.part.3"}) {
        ASSERT_TRUE(file.Open(target));
        Put(file, kept);
        file.Abandon();
        EXPECT_EQ(file.KeptAt(), dir.Path(kept));
        EXPECT_EQ(TempDir::Read(dir.Path(kept)), kept);
    }
    EXPECT_EQ(TempDir::Read(dir.Path("out.bin.part")), "first");
    EXPECT_EQ(dir.Names(), (Names{"out.bin", "out.bin.part", "out.bin.part.1", "out.bin.part.2",
                                  "out.bin.part.3"}));
}

// Set-user-ID and set-group-ID never pass to the new owner's content; other hard links keep
// the old content and are counted.
TEST_F(ReceiveFileTest, ReplacedFileLosesSetIdBitsAndItsLinksAreCounted) {
    ASSERT_EQ(chmod(target.c_str(), 06755), 0);
    ASSERT_EQ(link(target.c_str(), dir.Path("other.bin").c_str()), 0);
    ASSERT_TRUE(file.Open(target));
    EXPECT_EQ(file.OtherLinks(), 1u);
    Put(file, "new");
    ASSERT_TRUE(file.Finish() && file.Commit());
    EXPECT_EQ(Permissions(target), 0755u);
    EXPECT_EQ(TempDir::Read(dir.Path("other.bin")), "old");
}

TEST_F(ReceiveFileTest, DanglingLinkIsFollowedLikeALiveOne) {
    const std::string link = dir.Path("link.bin");
    std::filesystem::create_symlink("made.bin", link);
    ASSERT_TRUE(file.Open(link));
    Put(file, "new");
    ASSERT_TRUE(file.Finish() && file.Commit());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(TempDir::Read(dir.Path("made.bin")), "new");
}

// The longest names a folder takes can be received, and kept as parts, too.
TEST_F(ReceiveFileTest, LongestNamesAreReceived) {
    for (const std::size_t length : {247u, 248u, 255u}) {
        SCOPED_TRACE(length);
        const std::string name(length, 'n');
        ASSERT_TRUE(file.Open(dir.Path(name))) << file.Problem();
        Put(file, "x");
        ASSERT_TRUE(file.Finish() && file.Commit());
        EXPECT_EQ(TempDir::Read(dir.Path(name)), "x");
        ASSERT_TRUE(file.Open(dir.Path(name))) << file.Problem();
        Put(file, "y");
        file.Abandon();
        EXPECT_EQ(TempDir::Read(file.KeptAt()), "y");
        EXPECT_LE(std::filesystem::path(file.KeptAt()).filename().string().size(), 255u);
    }
}

// A receive that was killed leaves its temporary file; the next receive of that name removes
// it, but never the one a receive still running holds, nor a file of the user's.
TEST_F(ReceiveFileTest, TemporaryOfAKilledReceiveIsRemovedByTheNext) {
    dir.Write(".out.bin.zentrip-Ab12Cd", "stale");
    dir.Write(".out.bin.mine", "keep");
    ReceiveFile running;
    ASSERT_TRUE(running.Open(target));
    ASSERT_TRUE(file.Open(target));
    const Names names = dir.Names();
    EXPECT_EQ(names.count(".out.bin.zentrip-Ab12Cd"), 0u);
    EXPECT_EQ(names.count(".out.bin.mine"), 1u);
    EXPECT_EQ(names.size(), 4u) << "the target, the user's file and two temporary files";
}

TEST_F(ReceiveFileTest, FifoIsWrittenOnlyWithAReader) {
    const std::string fifo = dir.Path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(file.Open(fifo));
    EXPECT_EQ(file.Problem(), "no program reads the FIFO");
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(file.Open(fifo)) << file.Problem();
    Put(file, "piped");
    ASSERT_TRUE(file.Finish() && file.Commit());
    char got[8] = {};
    EXPECT_EQ(read(reader, got, sizeof got), 5);
    close(reader);
}

}  // namespace
}  // namespace zentrip::testing
