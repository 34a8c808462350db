// Rates outside the standard list, read back from the line as the kernel holds them. Apart
// from the device's other tests: <asm/termbits.h> clashes with <termios.h>.
#include "platform/serial_custom_rate.h"

#include <asm/termbits.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include "platform/pseudo_terminal.h"
#include "platform/serial_device.h"

namespace zentrip {
namespace {

TEST(PosixSerialDevice, OtherRatesAreSetAsCustomRatesAndZeroIsRefused) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    for (std::uint32_t rate : {110u, 1234u, 12345u, 250000u, 4000000u}) {
        std::string error;
        auto device = PosixSerialOpener().Open(pty.SlavePath(), rate, &error);
        ASSERT_TRUE(device) << rate << ": " << error;
        termios2 line{};
        ASSERT_EQ(ioctl(pty.SlaveFd(), TCGETS2, &line), 0);
        EXPECT_EQ(line.c_cflag & CBAUD, static_cast<tcflag_t>(BOTHER)) << rate;
        EXPECT_EQ(line.c_ospeed, rate);
        EXPECT_EQ(line.c_ispeed, rate);
        EXPECT_EQ(device->Write("x", 1), 1u);
        EXPECT_EQ(pty.ReadMaster(1), "x");
    }
    // Rate 0 would leave the line at whatever it had (or hang it up): no device takes it.
    std::string error;
    EXPECT_FALSE(PosixSerialOpener().Open(pty.SlavePath(), 0, &error));
    EXPECT_EQ(error, "0 bit/s is not a data rate");
}

}  // namespace
}  // namespace zentrip
