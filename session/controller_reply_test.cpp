#include "session/controller_reply.h"

#include <gtest/gtest.h>

#include "sim/fake_serial_line.h"

namespace zentrip {
namespace {

class ControllerReply : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(port.Open(1, 9600)); }
    int Send(std::string_view text) { return SendLineDirect(port, clock, text, &verdict); }

    VirtualClock clock;
    FakeSerialLine line{clock};
    FakeSerialOpener opener{line};
    CSerialPort port{opener};
    std::string verdict = "untouched";
};

TEST_F(ControllerReply, SendsOnlyTheCommandCharactersInUpperCase) {
    line.Feed("12 34\r\nOK\r\n");
    EXPECT_EQ(Send("12 34 \"56\" ; more text\r"), 1);
    EXPECT_EQ(line.Written(), "123456\r");
    EXPECT_EQ(verdict, "untouched");

    line.Feed("x\nok\r\n");
    EXPECT_EQ(Send("ab\tc\n"), 1);
    EXPECT_EQ(line.Written(), "123456\rABC\r");
}

TEST_F(ControllerReply, NothingToSendReturnsAtOnceWithoutWaiting) {
    for (std::string_view text : {"", "; comment\r", "#define AB 1\r", "   \r", "\"\"\r"}) {
        EXPECT_EQ(Send(text), 1) << text;
    }
    EXPECT_TRUE(line.Writes().empty());
    EXPECT_EQ(clock.TickMs(), 0u);
}

TEST_F(ControllerReply, WaitsTwentyMillisecondsThenPollsEveryFiveUntilTheEchoEnds) {
    line.Feed("AB\r\n", 0);
    line.Feed("Ok\r\n", 0);
    EXPECT_EQ(Send("AB\r"), 1);
    EXPECT_EQ(clock.TickMs(), 20u + 4 * 5);  // one poll per echo byte up to the LF
}

TEST_F(ControllerReply, JudgesTheReplyLine) {
    line.Feed("E\nOK \r\n");
    EXPECT_EQ(Send("E\r"), 0);
    EXPECT_EQ(verdict, "Controller Reported OK ");

    line.Feed("E\nOK");  // two bytes are no answer
    EXPECT_EQ(Send("E\r"), 0);
    EXPECT_EQ(verdict, "Error: Controller failed to respond.");

    line.Feed("\n" + std::string(70, 'R'));  // a bare LF as echo, then a reply over 62 bytes
    EXPECT_EQ(Send("E\r"), 0);
    EXPECT_EQ(verdict, "Controller Reported " + std::string(62, 'R'));
}

TEST_F(ControllerReply, SilenceCostsAll255Polls) {
    EXPECT_EQ(Send("E\r"), 0);
    EXPECT_EQ(verdict, "Error: Controller failed to respond.");
    EXPECT_EQ(clock.TickMs(), 20u + 255 * 5);
}

TEST_F(ControllerReply, AReplyThatComesLaterStaysForTheNextLine) {
    line.Feed("E\r\n", 0);
    line.Feed("OK\r\n", 500);
    EXPECT_EQ(Send("E\r"), 0);
    clock.AdvanceMs(1000);
    line.Feed("F\r\nOK\r\n", 0);
    EXPECT_EQ(Send("F\r"), 0);  // its echo wait ate the late OK; its echo is the reply
    EXPECT_EQ(verdict, "Controller Reported F");
}

TEST_F(ControllerReply, AVanishedDeviceEndsTheEchoWaitAtOnce) {
    line.Pull("Input/output error");
    EXPECT_EQ(Send("E\r"), 0);
    EXPECT_EQ(verdict, "Error: Controller failed to respond.");
    EXPECT_EQ(clock.TickMs(), 20u);
}

}  // namespace
}  // namespace zentrip
