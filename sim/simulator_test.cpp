#include "sim/simulator.h"

#include <gtest/gtest.h>

#include "link/serial_port.h"
#include "platform/clock.h"
#include "sim/fake_line_simulator.h"
#include "sim/fake_serial_line.h"

namespace zentrip::sim {
namespace {

std::unique_ptr<Simulator> Make(SimOptions options = {}) {
    std::string error;
    auto sim = Simulator::Create(options, &error);
    EXPECT_NE(sim, nullptr) << error;
    return sim;
}

// All bytes of the outputs, and their delays, as one comparable text.
std::string Joined(const SimOutputs& outputs) {
    std::string all;
    for (const auto& o : outputs)
        all += (o.delayMs ? "+" + std::to_string(o.delayMs) + ":" : "") + o.bytes;
    return all;
}

TEST(SimController, EchoesEachLineThenAcceptsIt) {
    SimOptions options;
    options.mode = SimMode::Controller;
    auto sim = Make(options);
    EXPECT_EQ(Joined(sim->Receive("123456\r", 0)), "123456\r\nOK\r\n");
    // Split across chunks, several lines in one chunk, LF endings from typed text, CR LF
    // counted once, empty lines ignored.
    EXPECT_EQ(Joined(sim->Receive("12", 0)), "");
    EXPECT_EQ(Joined(sim->Receive("3\r45\r", 0)), "123\r\nOK\r\n45\r\nOK\r\n");
    EXPECT_EQ(Joined(sim->Receive("typed\n\r\r\nA\r\nB\n", 0)),
              "typed\r\nOK\r\nA\r\nOK\r\nB\r\nOK\r\n");
    // In controller mode AT lines are just lines.
    EXPECT_EQ(Joined(sim->Receive("ATH1\r", 0)), "ATH1\r\nOK\r\n");
    EXPECT_EQ(sim->Controller().Lines(),
              (std::vector<std::string>{"123456", "123", "45", "typed", "A", "B", "ATH1"}));
}

TEST(SimController, ComplaintSilenceLateAnswerAndEchoWithoutLf) {
    SimOptions options;
    options.mode = SimMode::Controller;
    options.controller.complainPattern = "^99";
    options.controller.complaint = "ERROR 12";
    options.controller.silentPattern = "MUTE";
    auto sim = Make(options);
    EXPECT_EQ(Joined(sim->Receive("99 1 *\r", 0)), "99 1 *\r\nERROR 12\r\n");
    EXPECT_EQ(Joined(sim->Receive("1 99\r", 0)), "1 99\r\nOK\r\n");
    EXPECT_EQ(Joined(sim->Receive("IS MUTE\r", 0)), "");
    EXPECT_EQ(sim->Controller().Lines().back(), "IS MUTE");

    options.controller = {};
    options.controller.replyDelayMs = 1500;
    options.controller.echoWithoutLf = true;
    sim = Make(options);
    EXPECT_EQ(Joined(sim->Receive("12\r", 0)), "12\r+1500:OK\r\n");

    options.controller.complainPattern = "([";
    std::string error;
    EXPECT_EQ(Simulator::Create(options, &error), nullptr);
    EXPECT_NE(error.find("(["), std::string::npos) << error;
}

TEST(SimController, OverlongLineIsCutNotGrown) {
    SimOptions options;
    options.mode = SimMode::Controller;
    auto sim = Make(options);
    const auto out = sim->Receive(std::string(10000, '7') + "\r", 0);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].bytes, std::string(4096, '7') + "\r\n");
}

TEST(SimModem, InitSequenceSetsRegistersAndAnswersOk) {
    SimOptions options;
    options.mode = SimMode::Modem;
    auto sim = Make(options);
    EXPECT_EQ(sim->Modem().Register(8), 2);
    EXPECT_EQ(sim->Modem().Register(11), 95);
    EXPECT_EQ(Joined(sim->Receive("AT\r", 0)), "OK\r\n");
    EXPECT_EQ(Joined(sim->Receive("ATS11=150\r", 0)), "OK\r\n");
    EXPECT_EQ(Joined(sim->Receive("ATS8=1\r", 0)), "OK\r\n");
    EXPECT_EQ(Joined(sim->Receive("AT&F E0 M0 L1 X4 S7=30\r", 0)), "OK\r\n");  // a user's string
    EXPECT_EQ(sim->Modem().Register(11), 95) << "&F restores the factory registers";
    EXPECT_EQ(sim->Modem().Register(7), 30);
    EXPECT_EQ(Joined(sim->Receive("ATS11=150S8=1\r", 0)), "OK\r\n");
    EXPECT_EQ(Joined(sim->Receive("ats11?\r", 0)), "150\r\nOK\r\n");
    EXPECT_EQ(sim->Modem().Register(8), 1);
    EXPECT_EQ(sim->Modem().Errors(), 0);
}

TEST(SimModem, HookFollowsHAndDial) {
    SimOptions options;
    options.mode = SimMode::Modem;
    auto sim = Make(options);
    EXPECT_FALSE(sim->Modem().OffHook());
    sim->Receive("ATH1\r", 0);
    EXPECT_TRUE(sim->Modem().OffHook());
    sim->Receive("ATH0\r", 0);
    EXPECT_FALSE(sim->Modem().OffHook());
    sim->Receive("ATDT 5551234;\r", 0);
    EXPECT_TRUE(sim->Modem().OffHook()) << "a dial takes the line";
    sim->Receive("ATH\r", 0);
    EXPECT_FALSE(sim->Modem().OffHook());
    sim->Receive("ATH1\rATZ\r", 0);
    EXPECT_FALSE(sim->Modem().OffHook()) << "reset hangs up";
}

TEST(SimModem, RecordsDialsAndTheTonesTheyPlay) {
    SimOptions options;
    options.mode = SimMode::Modem;
    auto sim = Make(options);
    sim->Receive("ATS11=150\r", 100);
    // ToneDial's pieces: "ATDT " then the text and ";\r" in separate writes.
    EXPECT_EQ(Joined(sim->Receive("ATDT ", 200)), "");
    EXPECT_EQ(Joined(sim->Receive("1234 79 030 *", 200)), "");
    EXPECT_EQ(Joined(sim->Receive(";\r", 250)), "OK\r\n");
    // The session's number as written, hyphens and a comma pause; then lower-case a-f and a
    // dial that does not return to command mode.
    sim->Receive("ATDT 555-0199,#;\r", 300);
    sim->Receive("atdt ab ef 0\r", 400);
    const auto& dials = sim->Modem().Dials();
    ASSERT_EQ(dials.size(), 3u);
    EXPECT_EQ(dials[0].command, "ATDT 1234 79 030 *;");
    EXPECT_EQ(dials[0].tones, "123479030*");
    EXPECT_TRUE(dials[0].returnsToCommandMode);
    EXPECT_EQ(dials[0].atMs, 250u);
    EXPECT_EQ(dials[0].playMs, 10u * 2 * 150);
    EXPECT_EQ(dials[1].tones, "5550199#");
    EXPECT_EQ(dials[1].playMs, 8u * 2 * 150 + 2000);
    EXPECT_EQ(dials[2].command, "atdt ab ef 0");
    EXPECT_EQ(dials[2].tones, "AB0") << "E and F are no touch tones";
    EXPECT_FALSE(dials[2].returnsToCommandMode);
    EXPECT_EQ(sim->Modem().Tones(), "123479030*5550199#AB0");
}

TEST(SimModem, AnswersErrorToGarbage) {
    SimOptions options;
    options.mode = SimMode::Modem;
    auto sim = Make(options);
    for (const char* line : {"HELLO\r", "A\r", "ATS300=1\r", "ATS11=999\r", "ATS11\r", "ATH2\r",
                             "AT&\r", "ATK\r", "AT\x01\xff\r"}) {
        EXPECT_EQ(Joined(sim->Receive(line, 0)), "ERROR\r\n") << line;
    }
    EXPECT_EQ(sim->Modem().Errors(), 9);
    EXPECT_EQ(sim->Modem().Register(11), 95);
    EXPECT_EQ(Joined(sim->Receive("AT\r", 0)), "OK\r\n");
}

TEST(SimAuto, AtLinesGoToTheModemOthersToTheController) {
    auto sim = Make();
    EXPECT_EQ(Joined(sim->Receive("AT\rATS8=1\r", 0)), "OK\r\nOK\r\n");
    EXPECT_EQ(Joined(sim->Receive("1234 25\r", 0)), "1234 25\r\nOK\r\n");
    EXPECT_EQ(Joined(sim->Receive("at&f\r", 0)), "OK\r\n");
    EXPECT_EQ(Joined(sim->Receive("A1\r", 0)), "A1\r\nOK\r\n");
    EXPECT_EQ(sim->Modem().Commands(), (std::vector<std::string>{"AT", "ATS8=1", "at&f"}));
    EXPECT_EQ(sim->Controller().Lines(), (std::vector<std::string>{"1234 25", "A1"}));
    SimMode mode{};
    EXPECT_TRUE(ParseSimMode("modem", &mode));
    EXPECT_EQ(mode, SimMode::Modem);
    EXPECT_FALSE(ParseSimMode("Modem", &mode));
}

// The simulator as the responder of a fake line, driven by a real CSerialPort in virtual time.
TEST(SimOnFakeLine, PortSeesEchoAtOnceAndLateAnswerWhenDue) {
    VirtualClock clock;
    FakeSerialLine line(clock);
    FakeSerialOpener opener(line);
    SimOptions options;
    options.controller.replyDelayMs = 400;
    std::string error;
    std::shared_ptr<Simulator> sim = Simulator::Create(options, &error);
    AttachSimulator(line, sim);

    CSerialPort port(opener);
    ASSERT_EQ(port.Open(1, 9600), 1);
    clock.AdvanceMs(1000);
    port.Write("12 34\r", 0);
    char buffer[64];
    int n = port.Read(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(n)), "12 34\r\n");
    clock.SleepMs(399);
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);
    clock.SleepMs(1);
    n = port.Read(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(n)), "OK\r\n");

    port.Write("ATDT 99;\r", 0);
    ASSERT_EQ(sim->Modem().Dials().size(), 1u);
    EXPECT_EQ(sim->Modem().Dials()[0].atMs, 1400u);

    const Transcript& t = sim->GetTranscript();
    ASSERT_EQ(t.size(), 5u);
    EXPECT_EQ(FormatTranscriptLine(t[0]), "1000 rx 12 34\\r");
    EXPECT_EQ(FormatTranscriptLine(t[1]), "1000 tx 12 34\\r\\n");
    EXPECT_EQ(FormatTranscriptLine(t[2]), "1400 tx OK\\r\\n");
    EXPECT_EQ(FormatTranscriptLine(t[3]), "1400 rx ATDT 99;\\r");
    EXPECT_EQ(FormatTranscriptLine(t[4]), "1400 tx OK\\r\\n");
}

}  // namespace
}  // namespace zentrip::sim
