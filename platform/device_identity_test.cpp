#include "platform/device_identity.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/pseudo_terminal.h"
#include "tests/support/fake_sysfs.h"
#include "tests/support/temp_dir.h"

namespace zentrip {
namespace {

using testing::FakeSysfs;

TEST(DeviceIdentity, TellsAdaptersByTheirSysfsIdentityAndPseudoTerminalsByTheirNode) {
    PseudoTerminal withSerial;
    PseudoTerminal withoutSerial;
    PseudoTerminal plain;
    ASSERT_TRUE(withSerial.Ok() && withoutSerial.Ok() && plain.Ok());
    FakeSysfs sys;
    ASSERT_TRUE(sys.AddAdapter(withSerial.SlavePath(), "A1B2"));
    FakeSysfs other;
    ASSERT_TRUE(other.AddAdapter(withoutSerial.SlavePath(), ""));

    auto identity = ReadDeviceIdentity(withSerial.SlavePath(), sys.Root());
    ASSERT_TRUE(identity);
    EXPECT_EQ(identity->hardware, "usb 0403:6001 serial A1B2 interface 00 port 0");
    identity = ReadDeviceIdentity(withoutSerial.SlavePath(), other.Root());
    ASSERT_TRUE(identity);
    EXPECT_EQ(identity->hardware, "usb 0403:6001 at 1-2 interface 00 port 0");

    identity = ReadDeviceIdentity(plain.SlavePath(), sys.Root());
    ASSERT_TRUE(identity);
    EXPECT_TRUE(identity->characterDevice);
    EXPECT_EQ(identity->hardware, "");
    struct stat info {};
    ASSERT_EQ(stat(plain.SlavePath().c_str(), &info), 0);
    EXPECT_EQ(identity->number, info.st_rdev);
    EXPECT_EQ(identity->nodeInode, info.st_ino);

    const testing::TempDir dir;
    identity = ReadDeviceIdentity(dir.Write("file", "x"));
    ASSERT_TRUE(identity);
    EXPECT_FALSE(identity->characterDevice);
    EXPECT_FALSE(ReadDeviceIdentity(dir.Path("missing")));
}

}  // namespace
}  // namespace zentrip
