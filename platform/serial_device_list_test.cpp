#include "platform/serial_device_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/temp_dir.h"

namespace zentrip {
namespace {

namespace fs = std::filesystem;

TEST(SerialDeviceList, FindsAdaptersByIdLinksAndUartsWithADriver) {
    const testing::TempDir temp("zentrip-devs-");
    ASSERT_TRUE(temp.Ok());
    const std::string root = temp.Path();
    const fs::path dev = fs::path(root) / "dev";
    const fs::path sys = fs::path(root) / "sys";
    fs::create_directories(dev / "serial/by-id");
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "ttyS1", "ttyS12", "tty0",
                             "ttyUSB", "ttySx", "null"}) {
        std::ofstream(dev / name) << "";
    }
    fs::create_symlink("../../ttyUSB2", dev / "serial/by-id/usb-FTDI_FT232R_A1-if00-port0");
    // ttyS1 and ttyS12 are bound to a UART driver with a UART behind it; the driver of ttyS3
    // found none (type 0); ttyS0 is a node without hardware.
    for (const char* name : {"ttyS1", "ttyS3", "ttyS12", "ttyUSB2"}) {
        fs::create_directories(sys / "class/tty" / name / "device");
        fs::create_symlink("/sys/bus/platform/drivers/dw-apb-uart",
                           sys / "class/tty" / name / "device/driver");
        std::ofstream(sys / "class/tty" / name / "type") << (name[4] == '3' ? "0\n" : "4\n");
    }
    std::ofstream(dev / "ttyS3") << "";
    fs::create_directories(sys / "class/tty/ttyS0");

    const std::string d = dev.string();
    EXPECT_EQ(SerialDeviceListText(ListSerialDevices(d, sys.string())),
              d + "/serial/by-id/usb-FTDI_FT232R_A1-if00-port0  -> " + d + "/ttyUSB2\n" + d +
                  "/ttyACM0\n" + d + "/ttyS1  dw-apb-uart\n" + d + "/ttyS12  dw-apb-uart\n" +
                  d + "/ttyUSB2  dw-apb-uart\n" + d + "/ttyUSB10\n");
}

TEST(SerialDeviceList, MissingFoldersGiveAnEmptyList) {
    EXPECT_TRUE(ListSerialDevices("/nonexistent/dev", "/nonexistent/sys").empty());
    EXPECT_EQ(SerialDeviceListText({}), "no serial devices found\n");
}

}  // namespace
}  // namespace zentrip
