#include "link/modem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/modem_fixture.h"

namespace zentrip {
namespace {

using ModemTest = testing::ModemLineTest;
using testing::Writes;

TEST_F(ModemTest, InitModemWithoutStringSendsThreeCommands400msApart) {
    modem.InitModem(2, "");
    EXPECT_EQ(Recorded(), (Writes{{0, "AT\r"}, {400, "ATS11=150\r"}, {800, "ATS8=1\r"}}));
    EXPECT_EQ(clock.TickMs(), 1200u);
    EXPECT_EQ(line.OpenedRates(), std::vector<std::uint32_t>{9600});
    EXPECT_EQ(line.OpenedPaths(), std::vector<std::string>{"/dev/ttyS1"});
    EXPECT_EQ(line.OpenDevices(), 0);
    EXPECT_EQ(host.editor.Text(), "Initializing modem on COM2\r\nDone.\r\n");
}

TEST_F(ModemTest, InitModemSendsTheUsersStringWithACarriageReturn) {
    modem.InitModem(3, "AT&F E0");
    EXPECT_EQ(Recorded(), (Writes{{0, "AT\r"},
                                  {400, "ATS11=150\r"},
                                  {800, "ATS8=1\r"},
                                  {1200, "AT&F E0"},
                                  {1200, "\r"}}));
    EXPECT_EQ(clock.TickMs(), 1600u);
    EXPECT_EQ(host.editor.Text(),
              "Initializing modem on COM3\r\nModem Init String:AT&F E0\r\nDone.\r\n");
    EXPECT_TRUE(host.pumps.empty());  // plain sleeps: the window waits
}

TEST_F(ModemTest, InitModemOnAPortThatWillNotOpenOnlyReportsIt) {
    line.FailOpens("Device or resource busy");
    modem.InitModem(4, "ATZ");
    EXPECT_TRUE(line.Writes().empty());
    EXPECT_EQ(clock.TickMs(), 0u);
    EXPECT_EQ(
        host.editor.Text(),
        "Failed to open serial port COM4. Can't\r\nprogram controller under this condition!\r\n"
        "/dev/ttyS3: Device or resource busy\r\n");
}

TEST_F(ModemTest, HangUpSendsAtThenAth0OneSecondLater) {
    modem.HangUp(1);
    EXPECT_EQ(Recorded(), (Writes{{0, "AT\r"}, {1000, "ATH0\r"}}));
    EXPECT_EQ(line.OpenDevices(), 0);
    EXPECT_EQ(host.editor.Text(), "");

    line.FailOpens("No such file or directory");
    modem.HangUp(1);
    EXPECT_EQ(line.Writes().size(), 2u);
    EXPECT_EQ(clock.TickMs(), 1000u);

    // A device that opens but is gone takes nothing and gets no pause.
    line.FailOpens("");
    line.Pull("Input/output error");
    modem.HangUp(1);
    EXPECT_EQ(line.Writes().size(), 2u);
    EXPECT_EQ(clock.TickMs(), 1000u);
    EXPECT_EQ(line.OpenedPaths().size(), 3u);  // each attempt, the failed one too
    EXPECT_EQ(line.OpenDevices(), 0);
}

TEST_F(ModemTest, ToneDialOfAShortTextWaitsTwoStepsPerCharacterPlus26) {
    ASSERT_TRUE(port.Open(1, 2400));
    std::string text = "1234 56*ab";
    modem.ToneDial(text);
    EXPECT_EQ(text, "1234 56*ab;\r");
    EXPECT_EQ(Recorded(), (Writes{{0, "ATDT "}, {0, "1234 56*ab;\r"}}));
    // 2 x 12 + 26 = 50 steps of 100 ms, each followed by a pump.
    ASSERT_EQ(host.pumps.size(), 50u);
    for (std::size_t i = 0; i < host.pumps.size(); ++i) EXPECT_EQ(host.pumps[i], 100 * (i + 1));
    EXPECT_EQ(clock.TickMs(), 5000u);
}

TEST_F(ModemTest, ToneDialCutsAtTheFirstCharacterThatIsNoTone) {
    ASSERT_TRUE(port.Open(1, 2400));
    std::string hyphen = "555-1234";
    modem.ToneDial(hyphen);
    EXPECT_EQ(hyphen, "555;\r");
    std::string comment = "12 34 * ; set relay\r";
    modem.ToneDial(comment);
    EXPECT_EQ(comment, "12 34 * ;\r");
    EXPECT_EQ(line.Written(), "ATDT 555;\rATDT 12 34 * ;\r");
    EXPECT_EQ(clock.TickMs(), (2u * 5 + 26 + 2u * 10 + 26) * 100);
}

TEST_F(ModemTest, ToneDialOfNothingDialableReturnsAtOnce) {
    ASSERT_TRUE(port.Open(1, 2400));
    for (std::string text : {";comment\r", "#define X 1\r", "\r", "", "G12"}) {
        modem.ToneDial(text);
        EXPECT_EQ(text, "");
    }
    EXPECT_TRUE(line.Writes().empty());
    EXPECT_EQ(clock.TickMs(), 0u);
    EXPECT_TRUE(host.pumps.empty());
}

TEST_F(ModemTest, ToneDialOfExactly20CharactersIsOneCommand) {
    ASSERT_TRUE(port.Open(1, 2400));
    std::string text(20, '7');
    modem.ToneDial(text);
    EXPECT_EQ(Recorded(), (Writes{{0, "ATDT "}, {0, std::string(20, '7') + ";\r"}}));
    EXPECT_EQ(clock.TickMs(), (2u * 22 + 26) * 100);
}

TEST_F(ModemTest, ToneDialOfALongTextGoesOutIn20CharacterPiecesEachWaitedForTheWhole) {
    ASSERT_TRUE(port.Open(1, 2400));
    const std::string digits = "123456789012345678901234567890123456789012345";  // 45
    std::string text = digits + "\r";
    modem.ToneDial(text);
    EXPECT_EQ(text, digits);                         // cut, not extended
    const std::uint64_t step = (2 * 45 + 26) * 100;  // 11.6 s per piece
    EXPECT_EQ(Recorded(), (Writes{{0, "ATDT "},
                                  {0, digits.substr(0, 20)},
                                  {0, ";\r"},
                                  {step, "ATDT "},
                                  {step, digits.substr(20, 20)},
                                  {step, ";\r"},
                                  {2 * step, "ATDT "},
                                  {2 * step, digits.substr(40)},
                                  {2 * step, ";\r"}}));
    EXPECT_EQ(host.pumps.size(), 3u * 116);
    EXPECT_EQ(clock.TickMs(), 3 * step);

    std::string one_over(21, '9');
    modem.ToneDial(one_over);
    EXPECT_EQ(line.Writes().size(), 15u);
    EXPECT_EQ(line.Writes()[13].bytes, "9");
    EXPECT_EQ(clock.TickMs(), 3 * step + 2 * (2 * 21 + 26) * 100);
}

TEST_F(ModemTest, ToneDialOnAClosedPortStillWaitsButAVanishedDeviceDoesNot) {
    std::string text = "12";
    modem.ToneDial(text);
    EXPECT_TRUE(line.Writes().empty());
    EXPECT_EQ(clock.TickMs(), (2u * 4 + 26) * 100);

    ASSERT_TRUE(port.Open(1, 2400));
    line.Pull("Input/output error");
    text = "34";
    modem.ToneDial(text);
    EXPECT_EQ(clock.TickMs(), (2u * 4 + 26) * 100);
}

}  // namespace
}  // namespace zentrip
