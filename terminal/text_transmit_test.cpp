#include <gtest/gtest.h>

#include "terminal/xmodem_test_util.h"

namespace zentrip::testing {
namespace {

class TextTransmitTest : public ::testing::Test {
protected:
    int Send(const std::string& text) { return rig.engine.TransmitText(dir.Write("t.txt", text)); }

    TempDir dir;
    FakeRig rig;
};

TEST_F(TextTransmitTest, EmptyFileSendsNothing) {
    EXPECT_EQ(Send(""), kXmodemSuccess);
    EXPECT_EQ(rig.line.Written(), "");
    EXPECT_EQ(rig.engine.BlockCount(), 0);
}

TEST_F(TextTransmitTest, EachLineEndsWithCarriageReturnAndLineFeedsNeverGo) {
    EXPECT_EQ(Send("AB\nC"), kXmodemSuccess);
    EXPECT_EQ(rig.line.Written(), "AB\rC\r");
    EXPECT_EQ(rig.engine.BlockCount(), 2);
    EXPECT_EQ(rig.engine.ByteCount(), (3 + 2) + (1 + 2));
    EXPECT_EQ(rig.engine.Total(), 4);
}

TEST_F(TextTransmitTest, LinesGoFiftyMillisecondsApart) {
    EXPECT_EQ(Send("one\ntwo\n\nfour\n"), kXmodemSuccess);
    EXPECT_EQ(rig.line.Written(), "one\rtwo\r\rfour\r");
    EXPECT_EQ(rig.engine.BlockCount(), 4);
    EXPECT_EQ(rig.engine.ByteCount(), 6 + 6 + 3 + 7);  // an empty line counts 3
    const auto writes = rig.line.Writes();
    EXPECT_EQ(writes[3].bytes, "\r");
    EXPECT_EQ(writes[4].tickMs - writes[3].tickMs, 50u);
    EXPECT_EQ(rig.Now(), 4 * 50u);
}

TEST_F(TextTransmitTest, CarriageReturnLineFeedFilesSendEachLineOnce) {
    EXPECT_EQ(Send("AB\r\nC\r\n"), kXmodemSuccess);
    EXPECT_EQ(rig.line.Written(), "AB\rC\r");
    EXPECT_EQ(rig.engine.ByteCount(), (3 + 2) + (2 + 2));
    // A carriage return alone is text like any other.
    FakeRig other;
    EXPECT_EQ(other.engine.TransmitText(dir.Write("cr.txt", "A\rB\n")), kXmodemSuccess);
    EXPECT_EQ(other.line.Written(), "A\rB\r");
    EXPECT_EQ(other.engine.BlockCount(), 1);
}

TEST_F(TextTransmitTest, LongLinesGoOutIn1021CharacterPieces) {
    const std::string line(2500, 'x');
    EXPECT_EQ(Send(line + "\n"), kXmodemSuccess);
    EXPECT_EQ(rig.line.Written(), std::string(1021, 'x') + '\r' + std::string(1021, 'x') + '\r' +
                                      std::string(458, 'x') + '\r');
    EXPECT_EQ(rig.engine.BlockCount(), 3);
    EXPECT_EQ(rig.engine.ByteCount(), 1023 + 1023 + 461);
}

TEST_F(TextTransmitTest, CancelLetsTheCurrentLineFinish) {
    int written = 0;
    rig.line.SetResponder([&](std::string_view, FakeSerialLine&) {
        if (++written == 2) rig.engine.Cancel();
    });
    EXPECT_EQ(Send("first\nsecond\n"), kXmodemCancelledByReceiver);
    EXPECT_EQ(rig.line.Written(), "first\r");
    EXPECT_EQ(rig.engine.BlockCount(), 1);
}

TEST_F(TextTransmitTest, VanishedDeviceEndsWithinOnePollWithThree) {
    // In the pause after the second line: the third never goes.
    rig.clock.At(60, [this] { rig.line.Pull("Input/output error"); });
    EXPECT_EQ(Send("one\ntwo\nthree\n"), kXmodemTooManyRetries);
    EXPECT_EQ(rig.line.Written(), "one\rtwo\r");
    EXPECT_LE(rig.Now() - 60, 20u);
    EXPECT_EQ(rig.engine.BlockCount(), 2);

    // In the middle of a line: the write that fails ends it at once.
    FakeRig other;
    int writes = 0;
    other.line.SetResponder([&](std::string_view, FakeSerialLine& line) {
        if (++writes == 2) line.Pull("Input/output error");
    });
    EXPECT_EQ(other.engine.TransmitText(dir.Path("t.txt")), kXmodemTooManyRetries);
    EXPECT_EQ(other.line.Written(), "on");
    EXPECT_EQ(other.Now(), 0u);
}

TEST_F(TextTransmitTest, NothingIsReadFromTheLine) {
    rig.Reply("OK\r\n");
    EXPECT_EQ(Send("x\n"), kXmodemSuccess);
    char ch = 0;
    EXPECT_EQ(rig.port.ReadByte(&ch), 1);
    EXPECT_EQ(ch, 'O');
}

}  // namespace
}  // namespace zentrip::testing
