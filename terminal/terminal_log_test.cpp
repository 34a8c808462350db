// The log says why it cannot start, and stops, saying why, when the file takes no more.
// (That it keeps bytes unchanged is seen where the window and the console terminal log.)
#include "terminal/terminal_log.h"

#include <gtest/gtest.h>

namespace zentrip {
namespace {

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
