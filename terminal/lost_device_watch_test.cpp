// What counts as the lost device coming back, with pseudo-terminals made anew at its path.
#include "terminal/lost_device_watch.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "platform/pseudo_terminal.h"
#include "tests/support/fake_sysfs.h"
#include "tests/support/temp_dir.h"

namespace zentrip {
namespace {

using Sight = LostDeviceWatch::Sight;

// A node's change time has the clock tick's grain: one made anew takes a later tick.
constexpr auto kLaterNode = std::chrono::milliseconds(20);

void ExpectLook(LostDeviceWatch& watch, Sight sight, bool changed) {
    const LostDeviceWatch::Look look = watch.LookAgain();
    EXPECT_EQ(look.sight, sight);
    EXPECT_EQ(look.changed, changed);
}

TEST(LostDeviceWatch, PseudoTerminalIsBackOnlyAsTheVeryNodeItWas) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    LostDeviceWatch watch;
    watch.Opened(pty.SlavePath());
    watch.Lost("Input/output error");
    EXPECT_TRUE(watch.IsLost());
    EXPECT_EQ(watch.Reason(), "Input/output error");
    ExpectLook(watch, Sight::kBack, true);
}

// A link left behind by a program that was killed: whatever later appears behind it is not the
// device that was lost.
TEST(LostDeviceWatch, AnotherPseudoTerminalAtTheLinkIsADifferentDevice) {
    const testing::TempDir dir;
    const std::string link = dir.Path("ttyUSB0");
    auto first = std::make_unique<PseudoTerminal>();
    ASSERT_EQ(symlink(first->SlavePath().c_str(), link.c_str()), 0);
    LostDeviceWatch watch;
    watch.Opened(link);
    std::this_thread::sleep_for(kLaterNode);
    first.reset();
    watch.Lost("Input/output error");
    // The link goes with its device: a dangling one could meet another test's new pty at once.
    ASSERT_EQ(unlink(link.c_str()), 0);
    ExpectLook(watch, Sight::kNothing, false);

    PseudoTerminal second;
    ASSERT_EQ(symlink(second.SlavePath().c_str(), link.c_str()), 0);
    ExpectLook(watch, Sight::kDifferent, true);
    ExpectLook(watch, Sight::kDifferent, false);
    ASSERT_EQ(unlink(link.c_str()), 0);
    ExpectLook(watch, Sight::kNothing, true);
}

// The same pseudo-terminal number handed to another program, at the very same path.
TEST(LostDeviceWatch, SameNumberMadeAnewIsADifferentDevice) {
    auto first = std::make_unique<PseudoTerminal>();
    ASSERT_TRUE(first->Ok());
    const std::string path = first->SlavePath();
    LostDeviceWatch watch;
    watch.Opened(path);
    std::this_thread::sleep_for(kLaterNode);
    first.reset();
    watch.Lost("Input/output error");
    std::vector<std::unique_ptr<PseudoTerminal>> others;
    while (others.size() < 64 && (others.empty() || others.back()->SlavePath() != path)) {
        others.push_back(std::make_unique<PseudoTerminal>());
    }
    if (others.back()->SlavePath() != path) GTEST_SKIP() << path << " went to another program";
    ExpectLook(watch, Sight::kDifferent, true);
}

// A USB adapter pulled and plugged in again gets a new node and number, but it is the same
// adapter; another adapter at its path is not.
TEST(LostDeviceWatch, AdapterIsBackByItsIdentityWhateverItsNode) {
    const testing::TempDir dir;
    const std::string link = dir.Path("usb-adapter");
    testing::FakeSysfs sys;
    LostDeviceWatch watch(
        [&](const std::string& path) { return ReadDeviceIdentity(path, sys.Root()); });
    auto before = std::make_unique<PseudoTerminal>();
    ASSERT_TRUE(sys.AddAdapter(before->SlavePath(), "A1B2"));
    ASSERT_EQ(symlink(before->SlavePath().c_str(), link.c_str()), 0);
    watch.Opened(link);
    PseudoTerminal after;  // alive before the first goes: never its number
    before.reset();
    watch.Lost("Input/output error");
    ASSERT_EQ(unlink(link.c_str()), 0);
    ASSERT_EQ(symlink(after.SlavePath().c_str(), link.c_str()), 0);

    ASSERT_TRUE(sys.AddAdapter(after.SlavePath(), "C3D4"));
    ExpectLook(watch, Sight::kDifferent, true);
    ASSERT_TRUE(sys.AddAdapter(after.SlavePath(), "A1B2"));
    ExpectLook(watch, Sight::kBack, true);
}

// Looks in turn at what the path holds: only changes are reported, and only the same device is
// reopened, again at each look until the open works.
TEST(LostDeviceWatch, LooksReportChangesAndReopenOnlyTheSameDevice) {
    enum class At { kNothing, kSame, kOther };
    using Turn = LostDeviceWatch::Turn;
    const struct {
        At at;
        bool opens;
        Turn turn;
    } looks[] = {
        {At::kNothing, true, Turn::kNone},  {At::kOther, true, Turn::kDifferent},
        {At::kOther, true, Turn::kNone},    {At::kNothing, true, Turn::kEmptyAgain},
        {At::kNothing, true, Turn::kNone},  {At::kSame, false, Turn::kNone},
        {At::kSame, false, Turn::kNone},    {At::kNothing, true, Turn::kEmptyAgain},
        {At::kSame, true, Turn::kReturned},
    };
    DeviceIdentity same;
    same.characterDevice = true;
    same.hardware = "usb 0403:6001 serial A1B2 interface 0 port 0";
    DeviceIdentity other = same;
    other.hardware = "usb 0403:6001 serial C3D4 interface 0 port 0";
    At at = At::kSame;
    LostDeviceWatch watch([&](const std::string&) -> std::optional<DeviceIdentity> {
        if (at == At::kNothing) return std::nullopt;
        return at == At::kSame ? same : other;
    });
    watch.Opened("/dev/ttyUSB0");
    watch.Lost("Input/output error");
    int step = 0;
    int reopens = 0;
    for (const auto& look : looks) {
        at = look.at;
        const int before = reopens;
        EXPECT_EQ(watch.LookAndReopen([&] {
            ++reopens;
            return look.opens;
        }),
                  look.turn)
            << "look " << step;
        EXPECT_EQ(reopens - before, look.at == At::kSame ? 1 : 0) << "look " << step;
        ++step;
    }
}

}  // namespace
}  // namespace zentrip
