#include "platform/serial_device_list.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace zentrip {
namespace {

namespace fs = std::filesystem;

TEST(SerialDeviceList, FindsAdaptersByIdLinksAndUartsWithADriver) {
    std::string root = (fs::temp_directory_path() / "zentrip-devs-XXXXXX").string();
    ASSERT_NE(mkdtemp(root.data()), nullptr);
    const fs::path dev = fs::path(root) / "dev";
    const fs::path sys = fs::path(root) / "sys";
    fs::create_directories(dev / "serial/by-id");
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "ttyS1", "ttyS12", "tty0",
                             "ttyUSB", "ttySx", "null"}) {
        std::ofstream(dev / name) << "";
    }
    fs::create_symlink("../../ttyUSB2", dev / "serial/by-id/usb-FTDI_FT232R_A1-if00-port0");
    // ttyS1 and ttyS12 are bound to a UART driver; ttyS0 is a node without hardware.
    for (const char* name : {"ttyS1", "ttyS12", "ttyUSB2"}) {
        fs::create_directories(sys / "class/tty" / name / "device");
        fs::create_symlink("/sys/bus/platform/drivers/dw-apb-uart",
                           sys / "class/tty" / name / "device/driver");
    }
    fs::create_directories(sys / "class/tty/ttyS0");

    const auto devices = ListSerialDevices(dev.string(), sys.string());
    std::vector<std::string> paths;
    for (const auto& d : devices)
        paths.push_back(fs::path(d.path).lexically_relative(dev).string());
    EXPECT_EQ(paths,
              (std::vector<std::string>{"serial/by-id/usb-FTDI_FT232R_A1-if00-port0", "ttyACM0",
                                        "ttyS1", "ttyS12", "ttyUSB2", "ttyUSB10"}));
    ASSERT_FALSE(devices.empty());
    EXPECT_EQ(devices[0].detail, "-> " + (dev / "ttyUSB2").string());
    EXPECT_EQ(devices[2].detail, "dw-apb-uart");
    fs::remove_all(root);
}

TEST(SerialDeviceList, MissingFoldersGiveAnEmptyList) {
    EXPECT_TRUE(ListSerialDevices("/nonexistent/dev", "/nonexistent/sys").empty());
}

}  // namespace
}  // namespace zentrip
