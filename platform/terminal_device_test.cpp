// What counts as a terminal device, with /dev/null given its class in a sysfs of the test's own.
#include "platform/terminal_device.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/pseudo_terminal.h"
#include "tests/support/temp_dir.h"

namespace zentrip {
namespace {

TEST(TerminalDevice, TellsWhatIsNotOne) {
    const testing::TempDir sys;
    std::filesystem::create_directories(sys.Path("dev/char/1:3"));
    std::filesystem::create_directories(sys.Path("class/mem"));
    std::filesystem::create_symlink(sys.Path("class/mem"), sys.Path("dev/char/1:3/subsystem"));
    const testing::TempDir dir;
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    EXPECT_EQ(TerminalDeviceProblem(pty.SlavePath(), sys.Path()), "");
    EXPECT_EQ(TerminalDeviceProblem(dir.Path("ttyUSB0"), sys.Path()), "No such file or directory");
    EXPECT_EQ(TerminalDeviceProblem(dir.Write("file", "x"), sys.Path()), "not a terminal device");
    EXPECT_EQ(TerminalDeviceProblem(dir.Path(), sys.Path()), "not a terminal device");
    EXPECT_EQ(TerminalDeviceProblem("/dev/null", sys.Path()), "not a terminal device");
}

}  // namespace
}  // namespace zentrip
