// The log appends received bytes unchanged and stops, saying why, when the file takes no more.
#include "terminal/terminal_log.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace zentrip {
namespace {

using namespace std::string_literals;
using testing::TempDir;

TEST(TerminalLog, AppendsEveryByteUnchanged) {
    TempDir dir;
    const std::string path = dir.Write("term.log", "before\n");
    CTerminalLog log;
    std::string error;
    ASSERT_TRUE(log.Start(path, &error)) << error;
    EXPECT_TRUE(log.IsOn());
    EXPECT_TRUE(log.Append("A\r\n\0B\b"s, &error));
    EXPECT_TRUE(log.Append("\xFF", &error));
    log.Stop();
    EXPECT_TRUE(log.Append("after stop", &error));
    EXPECT_EQ(TempDir::Read(path), "before\nA\r\n\0B\b\xFF"s);
}

TEST(TerminalLog, FailuresSayWhy) {
    CTerminalLog log;
    std::string error;
    EXPECT_FALSE(log.Start("/nonexistent-dir/term.log", &error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_FALSE(log.IsOn());

    ASSERT_TRUE(log.Start("/dev/full", &error)) << error;
    EXPECT_FALSE(log.Append("x", &error));
    EXPECT_EQ(error, "No space left on device");
    EXPECT_FALSE(log.IsOn()) << "a full disk ends logging";
}

}  // namespace
}  // namespace zentrip
