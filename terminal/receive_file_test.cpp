#include "terminal/receive_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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

}  // namespace
}  // namespace zentrip::testing
