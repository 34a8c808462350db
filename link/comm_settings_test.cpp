#include "link/comm_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "link/comm_settings_choices.h"
#include "tests/support/temp_dir.h"

namespace zentrip {
namespace {

namespace fs = std::filesystem;

class CommSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_temp.Ok());
        setenv("XDG_CONFIG_HOME", m_dir.c_str(), 1);
        m_file = m_dir + "/TALVEN_ORVANE7K_PGMR/Settings.ini";
    }
    void TearDown() override { unsetenv("XDG_CONFIG_HOME"); }
    void WriteFile(const std::string& bytes) {
        fs::create_directories(m_dir + "/TALVEN_ORVANE7K_PGMR");
        std::ofstream(m_file, std::ios::binary) << bytes;
    }
    CommSettings Loaded(std::vector<std::string>* warnings = nullptr) {
        CommSettings settings;
        auto said = LoadSettings(settings);
        if (warnings) *warnings = std::move(said);
        return settings;
    }
    const testing::TempDir m_temp{"zentrip-settings-"};
    const std::string m_dir = m_temp.Path();
    std::string m_file;
};

TEST_F(CommSettingsTest, StoreLivesUnderXdgConfigHome) {
    EXPECT_EQ(SettingsStore::DefaultPath(), m_file);
    unsetenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (home) {
        EXPECT_EQ(SettingsStore::DefaultPath(),
                  std::string(home) + "/.config/TALVEN_ORVANE7K_PGMR/Settings.ini");
    }
}

TEST_F(CommSettingsTest, FirstRunGivesDefaultsWithoutProblem) {
    std::vector<std::string> warnings;
    const CommSettings s = Loaded(&warnings);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(s.port, 1);
    EXPECT_EQ(s.dataRate, 9600u);
    EXPECT_EQ(s.modemInitString, "");
    EXPECT_EQ(s.devicePaths[0], "/dev/ttyS0");
    EXPECT_EQ(s.devicePaths[3], "/dev/ttyS3");
    EXPECT_EQ(PortButtonText(s.port, s.dataRate), " COM1\r9600 bps\rChange...");
}

TEST_F(CommSettingsTest, EveryValueSurvivesSaveAndLoad) {
    CommSettings out;
    out.port = 4;
    out.dataRate = 230400;
    out.modemInitString = " AT&F \"quoted\" \\back\r\n\t\x01\xff =; #end ";
    out.devicePaths = {"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_x y-if00", "/tmp/a=b;c",
                       "/dev/ttyACM1"};
    std::string error;
    ASSERT_TRUE(SaveSettingValues(StoredValues(out), &error)) << error;

    std::vector<std::string> warnings;
    const CommSettings in = Loaded(&warnings);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(in.port, 4);
    EXPECT_EQ(in.dataRate, 230400u);
    EXPECT_EQ(in.modemInitString, out.modemInitString);
    EXPECT_EQ(in.devicePaths, out.devicePaths);

    // The file is readable text with the value names of the store, and no temporary is left
    // beside it and the writers' lock file.
    std::ifstream file(m_file);
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    EXPECT_EQ(text.rfind("[Settings]\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nComPort=4\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nDataRate=230400\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nModemInitString=\""), std::string::npos) << text;
    EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(m_file).parent_path()), {}), 2);
    EXPECT_TRUE(fs::exists(m_file + ".lock"));
}

TEST_F(CommSettingsTest, EachMissingValueTakesItsOwnDefault) {
    WriteFile("[Settings]\nDataRate=2400\nDevice2=/dev/ttyUSB3\n");
    CommSettings s = Loaded();
    EXPECT_EQ(s.port, 1);
    EXPECT_EQ(s.dataRate, 2400u);
    EXPECT_EQ(s.modemInitString, "");
    EXPECT_EQ(s.devicePaths[1], "/dev/ttyUSB3");
    EXPECT_EQ(s.devicePaths[0], "/dev/ttyS0");

    WriteFile("[Settings]\nComPort=2\nModemInitString=ATM0\n");
    s = Loaded();
    EXPECT_EQ(s.port, 2);
    EXPECT_EQ(s.dataRate, 9600u);
    EXPECT_EQ(s.modemInitString, "ATM0");
}

TEST_F(CommSettingsTest, StoredValuesOutsideTheChoicesStayAsStored) {
    // Only the dialogs correct these; the settings keep them until then, without a warning.
    WriteFile("[Settings]\nComPort=-7\nDataRate=14400\n");
    std::vector<std::string> warnings;
    const CommSettings s = Loaded(&warnings);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(s.port, -7);
    EXPECT_EQ(s.dataRate, 14400u);
    EXPECT_EQ(ClampPort(s.port), 1);
    EXPECT_EQ(LookupRate(s.dataRate).rate, 1200u);
}

// Every value that falls back to its default is told once, naming the value, what was wrong
// and the default; so is every part of the file that could not be read.
TEST_F(CommSettingsTest, CorruptFilesFallBackValueByValueAndSaySo) {
    struct Case {
        const char* name;
        std::string bytes;
        std::int32_t port;
        std::uint32_t rate;
        std::string modem;
        std::vector<std::string> warnings;
    };
    const std::string huge(50000, '7');
    const std::string noSection =
        "Settings.ini: holds no [Settings] section; nothing in it is used";
    std::string randomBytes(4096, '\0');
    std::uint32_t state = 12345;
    for (char& byte : randomBytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 24);
    }
    const Case cases[] = {
        {"random bytes", randomBytes, 1, 9600, "", {noSection}},
        {"garbage", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR=[[[]]]\n==\n", 1, 9600, "", {noSection}},
        {"binary with a good value",
         std::string("\0\xff\xfe", 3) + "\n[Settings]\nComPort=3\n\x01\x02=\x03\n",
         3,
         9600,
         "",
         {}},
        {"wrong types",
         "[Settings]\nComPort=abc\nDataRate=9600.5\nModemInitString=\"unterminated\n",
         1,
         9600,
         "",
         {"Settings.ini: ComPort 'abc' is not a number; using 1",
          "Settings.ini: DataRate '9600.5' is not a number; using 9600",
          "Settings.ini: ModemInitString '\"unterminated' is not a well-formed quoted text; "
          "using \"\""}},
        {"out of range",
         "[Settings]\nComPort=2147483648\nDataRate=-5\nModemInitString=\"bad\\q\"\n",
         1,
         9600,
         "",
         {"Settings.ini: ComPort '2147483648' is out of range; using 1",
          "Settings.ini: DataRate '-5' is out of range; using 9600",
          "Settings.ini: ModemInitString '\"bad\\\\q\"' is not a well-formed quoted text; "
          "using \"\""}},
        {"huge value",
         "[Settings]\nComPort=2\nDataRate=" + huge + "\nModemInitString=" + std::string(500, 'A') +
             "\n",
         2,
         9600,
         "",
         {"Settings.ini: DataRate '" + std::string(40, '7') + "...' is out of range; using 9600",
          "Settings.ini: ModemInitString '" + std::string(40, 'A') +
              "...' is longer than 127 characters; using \"\""}},
        {"huge file",
         "[Settings]\nComPort=2\n;" + std::string(100000, 'x') + "\n",
         3,
         9600,
         "",
         {"Settings.ini: larger than 65536 bytes; nothing in it is used"}},
        {"other section only",
         "[Other]\nComPort=2\n[Settings\nDataRate=300\n",
         1,
         9600,
         "",
         {noSection}},
        {"line without a value",
         "[Settings]\nComPort=2\nno equals sign\n",
         2,
         9600,
         "",
         {"Settings.ini: line 3 is not NAME=VALUE; ignored"}},
        {"longest modem string",
         "[Settings]\nModemInitString=" + std::string(127, 'B') + "\n",
         1,
         9600,
         std::string(127, 'B'),
         {}},
        {"devices",
         "[Settings]\nDevice1=ttyUSB0\nDevice2=\nDevice3=\"/dev/tty\\nS9\"\nDevice4=/dev/ttyACM0\n",
         1,
         9600,
         "",
         {"Settings.ini: Device1 'ttyUSB0' is not a usable device path; using /dev/ttyS0",
          "Settings.ini: Device2 '' is not a usable device path; using /dev/ttyS1",
          "Settings.ini: Device3 '/dev/tty\\nS9' is not a usable device path; using "
          "/dev/ttyS2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(c.bytes);
        const auto before = fs::last_write_time(m_file);
        std::vector<std::string> warnings;
        const CommSettings s = Loaded(&warnings);
        EXPECT_EQ(s.port, c.port);
        EXPECT_EQ(s.dataRate, c.rate);
        EXPECT_EQ(s.modemInitString, c.modem);
        EXPECT_EQ(warnings, c.warnings);
        EXPECT_EQ(fs::last_write_time(m_file), before) << "reading wrote the file";
    }
    WriteFile("[Settings]\nDevice4=/dev/ttyACM0\n");
    EXPECT_EQ(Loaded().devicePaths[3], "/dev/ttyACM0");
}

// A file that cannot be read at all is a store that cannot be opened: every value keeps what
// it held before loading (COM3, 9600 bps).
TEST_F(CommSettingsTest, UnreadableFileIsReportedNotFatal) {
    struct Case {
        const char* name;
        std::function<void()> make;
        const char* warning;
    };
    const Case cases[] = {
        {"a folder in its place", [&] { fs::create_directories(m_file); },
         "Settings.ini: cannot be read (Is a directory); nothing in it is used"},
        {"its folder a file", [&] { std::ofstream(m_dir + "/TALVEN_ORVANE7K_PGMR") << "x"; },
         "Settings.ini: cannot be read (Not a directory); nothing in it is used"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(m_dir + "/TALVEN_ORVANE7K_PGMR");
        c.make();
        CommSettings s;
        s.modemInitString = "before";
        const std::vector<std::string> warnings = LoadSettings(s);
        EXPECT_EQ(s.port, 3);
        EXPECT_EQ(s.dataRate, 9600u);
        EXPECT_EQ(s.modemInitString, "before");
        EXPECT_EQ(warnings, std::vector<std::string>{c.warning});
    }
}

// A save never writes over a file that could not be used: it is kept beside the new one.
TEST_F(CommSettingsTest, UnusableFileIsKeptAsideWhenSaving) {
    struct Case {
        const char* name;
        std::function<void()> make;
        bool root = true;  // whether the case holds for root too
    };
    const std::string big = "[Settings]\nModemInitString=ATX\n" + std::string(70000, ';');
    const Case cases[] = {
        {"a folder in its place", [&] { fs::create_directories(m_file + "/inside"); }},
        {"over 64 KiB", [&] { WriteFile(big); }},
        {"no section", [&] { WriteFile("ComPort=4\n"); }},
        {"mode 000",
         [&] {
             WriteFile("[Settings]\nComPort=4\n");
             chmod(m_file.c_str(), 0);
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.root && geteuid() == 0) continue;  // root reads it all the same
        fs::remove_all(m_dir + "/TALVEN_ORVANE7K_PGMR");
        c.make();
        const auto before = fs::status(m_file);
        const std::string bytes = fs::is_regular_file(m_file) ? testing::TempDir::Read(m_file) : "";
        std::string error;
        std::string notice;
        ASSERT_TRUE(SaveSettingValues({{"DataRate", "300"}}, &error, &notice)) << error;

        const std::string lead = "Settings.ini could not be read and is kept as ";
        ASSERT_EQ(notice.rfind(lead + m_file + ".unreadable-", 0), 0u) << notice;
        const std::string kept = notice.substr(lead.size(), notice.find(';') - lead.size());
        EXPECT_EQ(notice.substr(lead.size() + kept.size()),
                  "; a new Settings.ini holds the settings saved now");
        EXPECT_EQ(fs::status(kept).type(), before.type());
        if (fs::is_regular_file(kept)) {
            EXPECT_TRUE(testing::TempDir::Read(kept) == bytes) << "kept as it was";
        }
        EXPECT_EQ(testing::TempDir::Read(m_file), "[Settings]\nDataRate=300\n");
        chmod(kept.c_str(), 0600);
    }
}

TEST_F(CommSettingsTest, UnwritableFolderIsReportedNotFatal) {
    // A file in the place of the folder: not even root (as CI runs) can write below it.
    std::ofstream(m_dir + "/TALVEN_ORVANE7K_PGMR") << "x";
    CommSettings s;
    s.port = 2;
    std::string error;
    EXPECT_FALSE(SaveSettingValues(StoredValues(s), &error));
    EXPECT_EQ(error, m_file + ".lock: Not a directory");
    EXPECT_EQ(Loaded().port, 3);
}

// A writer writes what it changed, into the file as it is then: a value it does not know, and
// one another writer changed since it loaded, both stay.
TEST_F(CommSettingsTest, SaveWritesOnlyWhatChangedIntoTheFileAsItIsNow) {
    WriteFile("[Settings]\nFutureOption=\"keep me\"\nComPort=2\n");
    const CommSettings loaded = Loaded();
    CommSettings s = loaded;
    s.dataRate = 57600;
    ASSERT_TRUE(SaveSettingValues({{"ModemInitString", "ATM0"}, {"ComPort", "4"}}));
    ASSERT_TRUE(SaveSettingValues(ChangedValues(loaded, s)));
    EXPECT_EQ(testing::TempDir::Read(m_file),
              "[Settings]\nComPort=4\nDataRate=57600\nFutureOption=\"keep me\"\n"
              "ModemInitString=ATM0\n");

    const auto written = fs::last_write_time(m_file);
    ASSERT_TRUE(SaveSettingValues(ChangedValues(s, s)));
    EXPECT_EQ(fs::last_write_time(m_file), written) << "nothing changed, nothing written";
}

TEST_F(CommSettingsTest, DevicePathFnFollowsTheStore) {
    const auto resolve = StoredDevicePathFn();
    EXPECT_EQ(resolve(2), "/dev/ttyS1");
    CommSettings s;
    s.devicePaths[1] = "/dev/ttyUSB7";
    ASSERT_TRUE(SaveSettingValues(StoredValues(s)));
    EXPECT_EQ(resolve(2), "/dev/ttyUSB7");
    EXPECT_EQ(resolve(7), "/dev/ttyS6");
}

TEST(CommSettingsChoices, RateLookupAndTrackbar) {
    EXPECT_EQ(LookupRate(300).index, 0);
    EXPECT_EQ(LookupRate(1200).index, 1);
    EXPECT_EQ(LookupRate(230400).index, 9);
    const RateChoice unknown = LookupRate(14400);
    EXPECT_EQ(unknown.rate, 1200u);
    EXPECT_EQ(unknown.index, 1);
    EXPECT_EQ(LookupRate(0).rate, 1200u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(LookupRate(RateAtIndex(i)).index, i);
    EXPECT_EQ(RateAtIndex(9), 230400u);
    EXPECT_EQ(RateAtIndex(42), 230400u);
    EXPECT_EQ(RateAtIndex(-1), 300u);
    EXPECT_EQ(RateBoxText(300), "  300");
    EXPECT_EQ(RateBoxText(230400), "230400");
    EXPECT_TRUE(IsOfferedRate(57600));
    EXPECT_FALSE(IsOfferedRate(56000));
}

TEST(CommSettingsChoices, PortClampModemLimitAndButtonText) {
    EXPECT_EQ(ClampPort(0), 1);
    EXPECT_EQ(ClampPort(5), 1);
    EXPECT_EQ(ClampPort(-3), 1);
    EXPECT_EQ(ClampPort(4), 4);
    EXPECT_EQ(FitModemInitString(std::string(200, 'x')).size(), 127u);
    EXPECT_EQ(FitModemInitString("ATL0"), "ATL0");
    EXPECT_EQ(PortButtonText(3, 115200), " COM3\r115200 bps\rChange...");
    EXPECT_EQ(PortButtonText(2, 4000000000u), " COM2\r4000000000 bps\rChange...");
}

}  // namespace
}  // namespace zentrip
