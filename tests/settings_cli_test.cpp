// `zentrip-cli settings` and `ports` end to end, each run with its own XDG_CONFIG_HOME.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using zentrip::testing::ChildResult;
using zentrip::testing::RunChild;
using zentrip::testing::TempDir;

class SettingsCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_temp.Ok());
        m_file = m_dir + "/TALVEN_ORVANE7K_PGMR/Settings.ini";
    }

    ChildResult Settings(std::vector<std::string> args) {
        args.insert(args.begin(), {ZENTRIP_CLI, "settings"});
        return RunChild(args, {"XDG_CONFIG_HOME=" + m_dir});
    }
    // The shown settings as "name" -> "value".
    static std::map<std::string, std::string> Shown(const std::string& out) {
        std::map<std::string, std::string> values;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) {
            const auto colon = line.find(": ");
            if (colon != std::string::npos) values[line.substr(0, colon)] = line.substr(colon + 2);
        }
        return values;
    }
    std::string FileBytes() const {
        std::ifstream in(m_file, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }

    const TempDir m_temp{"zentrip-cli-settings-"};
    const std::string m_dir = m_temp.Path();
    std::string m_file;
};

TEST_F(SettingsCliTest, ShowsDefaultsOnFirstRunWithoutCreatingTheFile) {
    const auto result = Settings({});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, "settings file: " + m_file +
                              "\nport: 1\nrate: 9600\nmodem-init: \"\"\n"
                              "device 1: /dev/ttyS0\ndevice 2: /dev/ttyS1\ndevice 3: "
                              "/dev/ttyS2\ndevice 4: /dev/ttyS3\n");
    EXPECT_FALSE(fs::exists(m_file));
}

TEST_F(SettingsCliTest, EveryValueRoundTrips) {
    const std::string modem = " AT&F \"E0\" M1\\L2 ";
    auto result = Settings({"--port", "4", "--rate", "230400", "--modem-init", modem, "--device",
                            "1=/dev/ttyUSB0", "--device", "2=/dev/serial/by-id/usb-FTDI x-if00",
                            "--device", "3=/dev/ttyACM3", "--device", "4=/tmp/sim link"});
    ASSERT_EQ(result.exitCode, 0) << result.err;

    result = Settings({});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    auto shown = Shown(result.out);
    EXPECT_EQ(shown["port"], "4");
    EXPECT_EQ(shown["rate"], "230400");
    EXPECT_EQ(shown["modem-init"], "\" AT&F \\\"E0\\\" M1\\\\L2 \"");
    EXPECT_EQ(shown["device 1"], "/dev/ttyUSB0");
    EXPECT_EQ(shown["device 2"], "/dev/serial/by-id/usb-FTDI x-if00");
    EXPECT_EQ(shown["device 3"], "/dev/ttyACM3");
    EXPECT_EQ(shown["device 4"], "/tmp/sim link");

    // Each value on its own, and back; the others stay.
    for (const auto& [option, value, key] :
         std::vector<std::tuple<std::string, std::string, std::string>>{
             {"--port", "2", "port"},
             {"--rate", "300", "rate"},
             {"--modem-init", "", "modem-init"}}) {
        result = Settings({option, value});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        shown = Shown(Settings({}).out);
        EXPECT_EQ(shown[key], option == "--modem-init" ? "\"\"" : value);
        EXPECT_EQ(shown["device 4"], "/tmp/sim link");
    }
    EXPECT_EQ(Shown(Settings({"--modem-init", std::string(127, 'X')}).out)["modem-init"],
              "\"" + std::string(127, 'X') + "\"");
}

TEST_F(SettingsCliTest, BadValuesAreRefusedAndChangeNothing) {
    ASSERT_EQ(Settings({"--port", "3", "--rate", "19200", "--modem-init", "ATM0"}).exitCode, 0);
    const std::string before = FileBytes();
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"--port", "5"}, "--port must be 1, 2, 3 or 4, not '5'"},
        {{"--port", "0"}, "--port must be 1, 2, 3 or 4"},
        {{"--port", "COM2"}, "--port must be 1, 2, 3 or 4"},
        {{"--rate", "14400"}, "--rate must be one of 300,"},
        {{"--rate", "9600bps"}, "--rate must be one of"},
        {{"--rate", "-9600"}, "--rate must be one of"},
        {{"--modem-init", std::string(128, 'X')},
         "--modem-init holds at most 127 characters, this one has 128"},
        {{"--device", "5=/dev/ttyUSB0"}, "--device takes N=PATH with N from 1 to 4"},
        {{"--device", "/dev/ttyUSB0"}, "--device takes N=PATH"},
        {{"--device", "1=ttyUSB0"}, "is not a usable device path"},
        {{"--device", "1="}, "is not a usable device path"},
        {{"--device", "1=/dev/tty\nUSB0"}, "is not a usable device path"},
        {{"--port", "2", "--rate", "1"}, "--rate must be one of"},  // a good value before a bad one
        {{"--port"}, "--port needs a value"},
        {{"--colour", "red"}, "unknown option '--colour'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0]);
        const auto result = Settings(c.args);
        EXPECT_EQ(result.exitCode, 64);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("nothing changed"), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(FileBytes(), before);
    }
}

TEST_F(SettingsCliTest, CorruptStoreWarnsAndUnwritableStoreFails) {
    fs::create_directories(fs::path(m_file).parent_path());
    std::ofstream(m_file, std::ios::binary)
        << "[Settings]\nComPort=2\nDataRate=\"fast\nbroken line\n\x01\xfe";
    const std::string corrupt = FileBytes();
    auto result = Settings({});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err,
              "Settings.ini: line 4 is not NAME=VALUE; ignored\n"
              "Settings.ini: line 5 is not NAME=VALUE; ignored\n"
              "Settings.ini: DataRate '\"fast' is not a well-formed quoted text; using 9600\n");
    EXPECT_EQ(Shown(result.out)["port"], "2");
    EXPECT_EQ(Shown(result.out)["rate"], "9600");
    EXPECT_EQ(FileBytes(), corrupt) << "showing the settings rewrote the file";
    // A store that repairs on the next save.
    ASSERT_EQ(Settings({"--rate", "4800"}).exitCode, 0);
    result = Settings({});
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(Shown(result.out)["rate"], "4800");

    // A file where the store's folder should be: saving fails with a message, not a crash.
    fs::remove_all(m_dir + "/TALVEN_ORVANE7K_PGMR");
    std::ofstream(m_dir + "/TALVEN_ORVANE7K_PGMR") << "";
    result = Settings({"--port", "2"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("cannot save"), std::string::npos) << result.err;
}

// A store too large to read is shown with the values from before loading and, when a value is
// stored, kept beside the new file, which holds only what was given.
TEST_F(SettingsCliTest, UnreadableStoreIsKeptAsideNotWrittenOver) {
    fs::create_directories(fs::path(m_file).parent_path());
    const std::string big = "[Settings]\nComPort=2\n" + std::string(70000, ';');
    std::ofstream(m_file, std::ios::binary) << big;
    auto result = Settings({});
    EXPECT_EQ(Shown(result.out)["port"], "3");
    EXPECT_TRUE(FileBytes() == big) << "showing the settings rewrote the file";

    result = Settings({"--rate", "300"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string said =
        "zentrip-cli settings: Settings.ini could not be read and is kept as " + m_file +
        ".unreadable-";
    EXPECT_NE(result.err.find(said), std::string::npos) << result.err;
    EXPECT_EQ(FileBytes(), "[Settings]\nDataRate=300\n");
    const std::string stamp = result.err.substr(result.err.find(said) + said.size(), 15);
    EXPECT_TRUE(TempDir::Read(m_file + ".unreadable-" + stamp) == big) << result.err;
}

// What `ports` lists is seen with a device tree of the test's own (SerialDeviceList): here it
// would list whatever devices the machine has.
TEST(PortsCli, Explains) {
    auto result = RunChild({ZENTRIP_CLI, "ports", "--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("/dev/serial/by-id"), std::string::npos);
    result = RunChild({ZENTRIP_CLI, "settings", "--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("--device N=PATH"), std::string::npos);
}

// One status for a command line that cannot be understood, whatever the command (each
// command's own test checks its mistakes), and every help says it.
TEST(CliUsage, WrongCommandLinesExitWith64AndEveryHelpSaysSo) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{ZENTRIP_CLI}, "usage"},
        {{ZENTRIP_CLI, "frobnicate"},
         "zentrip-cli: unknown command 'frobnicate' (see zentrip-cli --help)\n"},
        {{ZENTRIP_CLI, "ports", "--all"},
         "zentrip-cli ports: unknown option '--all' (see zentrip-cli ports --help)\n"}};
    for (const auto& [args, said] : cases) {
        const auto result = RunChild(args);
        EXPECT_EQ(result.exitCode, 64) << args.back();
        EXPECT_NE(result.err.find(said), std::string::npos) << result.err;
    }
    for (const char* command :
         {"expand", "program", "send", "receive", "send-text", "settings", "ports"}) {
        const auto help = RunChild({ZENTRIP_CLI, command, "--help"});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_NE(help.out.find("64"), std::string::npos) << command;
    }
}

}  // namespace
