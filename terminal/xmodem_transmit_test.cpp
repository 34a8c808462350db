#include <gtest/gtest.h>

#include <vector>

#include "terminal/xmodem_test_util.h"

using namespace std::string_literals;

namespace zentrip::testing {
namespace {

// A receiver that collects the engine's blocks and answers them from a script.
class ScriptedReceiver {
public:
    // Reply to the n-th block transmission (0-based) and to the n-th EOT (0-based).
    std::function<std::string(int, const std::string&)> onBlock = [](int, const std::string&) {
        return std::string(1, kAck);
    };
    std::function<std::string(int)> onEot = [](int) { return std::string(1, kAck); };

    explicit ScriptedReceiver(FakeRig& rig) : m_rig(rig) {
        rig.line.SetResponder([this](std::string_view written, FakeSerialLine&) { Take(written); });
    }
    const std::vector<std::string>& Blocks() const { return m_blocks; }
    const std::vector<std::uint64_t>& EotTimes() const { return m_eotTimes; }

private:
    void Take(std::string_view written) {
        m_pending += written;
        while (!m_pending.empty()) {
            if (m_pending[0] == kEot) {
                m_pending.erase(0, 1);
                m_eotTimes.push_back(m_rig.Now());
                m_rig.Reply(onEot(static_cast<int>(m_eotTimes.size()) - 1));
                continue;
            }
            const std::size_t size = m_rig.engine.Mode() == CXmodem::kModeChecksum ? 132 : 133;
            if (m_pending.size() < size) return;
            m_blocks.push_back(m_pending.substr(0, size));
            m_pending.erase(0, size);
            m_rig.Reply(onBlock(static_cast<int>(m_blocks.size()) - 1, m_blocks.back()));
        }
    }

    FakeRig& m_rig;
    std::string m_pending;
    std::vector<std::string> m_blocks;
    std::vector<std::uint64_t> m_eotTimes;
};

class TransmitTest : public ::testing::Test {
protected:
    TempDir dir;
    FakeRig rig;
    ScriptedReceiver receiver{rig};
};

TEST_F(TransmitTest, CrcModeSendsPaddedLastBlockAndCounts) {
    const std::string data = Pattern(130);
    rig.engine.SetMode(CXmodem::kModeUnchosen);
    rig.Reply("C");
    ASSERT_EQ(rig.engine.Transmit(dir.Write("f.bin", data)), kXmodemSuccess);

    EXPECT_EQ(rig.line.Written(), WireBlock(1, data.substr(0, 128), true) +
                                      WireBlock(2, data.substr(128), true) + std::string(1, kEot));
    EXPECT_EQ(receiver.Blocks()[1].substr(3 + 2, 126), std::string(126, '\0'));
    EXPECT_EQ(rig.engine.Mode(), CXmodem::kModeCrc);
    EXPECT_EQ(rig.engine.BlockCount(), 2);
    EXPECT_EQ(rig.engine.RejectedCount(), 0);
    EXPECT_EQ(rig.engine.ByteCount(), 256);
    EXPECT_EQ(rig.engine.Total(), 130);
    EXPECT_EQ(rig.engine.LastResult(), kXmodemSuccess);
    EXPECT_GT(rig.notifications, 5);
    // One write call per block.
    const auto writes = rig.line.Writes();
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0].bytes, receiver.Blocks()[0]);
    EXPECT_EQ(writes[1].bytes, receiver.Blocks()[1]);
}

TEST_F(TransmitTest, NakOrAnyOtherFirstByteChoosesChecksum) {
    for (const char* first : {"\x15", "X"}) {
        FakeRig other;
        ScriptedReceiver peer{other};
        const std::string data = Pattern(256);
        other.Reply(first);
        ASSERT_EQ(other.engine.Transmit(dir.Write("f.bin", data)), kXmodemSuccess);
        EXPECT_EQ(other.engine.Mode(), CXmodem::kModeChecksum);
        // Exactly two full blocks: no padding block for a multiple of 128.
        EXPECT_EQ(other.line.Written(), WireBlock(1, data.substr(0, 128), false) +
                                            WireBlock(2, data.substr(128), false) + kEot);
    }
}

TEST_F(TransmitTest, EmptyFileGoesStraightToEot) {
    rig.Reply("C");
    ASSERT_EQ(rig.engine.Transmit(dir.Write("empty", "")), kXmodemSuccess);
    EXPECT_EQ(rig.line.Written(), std::string(1, kEot));
    EXPECT_EQ(rig.engine.BlockCount(), 0);
    EXPECT_EQ(rig.engine.ByteCount(), 0);
}

TEST_F(TransmitTest, StaleHandshakeBytesArePurgedBeforeTheFirstBlock) {
    // A receiver that asked several times before we answered: all but the first are old news.
    rig.Reply("CCCC");
    ASSERT_EQ(rig.engine.Transmit(dir.Write("f.bin", Pattern(100))), kXmodemSuccess);
    EXPECT_EQ(receiver.Blocks().size(), 1u);
    EXPECT_EQ(rig.engine.RejectedCount(), 0);
}

TEST_F(TransmitTest, PurgeOfAChatteringLineEndsAfter99Rounds) {
    rig.Reply("C");
    for (std::uint64_t t = 5; t <= 3000; t += 5) rig.line.Feed("xx", t);
    rig.engine.Transmit(dir.Write("f.bin", Pattern(10)));
    const auto writes = rig.line.Writes();
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes[0].bytes[0], kSoh);
    EXPECT_GE(writes[0].tickMs, 990u);
    EXPECT_LE(writes[0].tickMs, 1010u);
}

TEST_F(TransmitTest, CanAtHandshakeOrAfterABlockEndsWithOne) {
    rig.Reply(std::string(1, kCan));
    EXPECT_EQ(rig.engine.Transmit(dir.Write("f.bin", Pattern(300))), kXmodemCancelledByReceiver);
    EXPECT_EQ(rig.line.Written(), "");

    FakeRig other;
    ScriptedReceiver peer{other};
    peer.onBlock = [](int n, const std::string&) { return std::string(1, n == 1 ? kCan : kAck); };
    other.Reply("C");
    EXPECT_EQ(other.engine.Transmit(dir.Path("f.bin")), kXmodemCancelledByReceiver);
    EXPECT_EQ(peer.Blocks().size(), 2u);
    EXPECT_EQ(other.engine.ByteCount(), 128);
    // Nothing follows the refused block: the transmitter never sends CAN itself.
    EXPECT_EQ(other.line.Written(), peer.Blocks()[0] + peer.Blocks()[1]);
}

TEST_F(TransmitTest, SilentReceiverGivesTwoAfterNinetySeconds) {
    EXPECT_EQ(rig.engine.Transmit(dir.Write("f.bin", Pattern(10))), kXmodemNoResponse);
    EXPECT_EQ(rig.line.Written(), "");
    EXPECT_GE(rig.Now(), 90000u);
    EXPECT_LE(rig.Now(), 92000u);
}

TEST_F(TransmitTest, SilenceAfterABlockGivesFour) {
    receiver.onBlock = [](int, const std::string&) { return std::string(); };
    rig.Reply("C");
    EXPECT_EQ(rig.engine.Transmit(dir.Write("f.bin", Pattern(10))), kXmodemNoBlockResponse);
    EXPECT_EQ(receiver.Blocks().size(), 1u);
    EXPECT_GE(rig.Now(), 90000u);
    EXPECT_LE(rig.Now(), 92000u);
}

TEST_F(TransmitTest, BlockRefusedElevenTimesGivesThree) {
    receiver.onBlock = [](int, const std::string&) { return std::string(1, kNak); };
    rig.Reply("C");
    EXPECT_EQ(rig.engine.Transmit(dir.Write("f.bin", Pattern(10))), kXmodemTooManyRetries);
    ASSERT_EQ(receiver.Blocks().size(), 11u);
    for (const auto& block : receiver.Blocks()) EXPECT_EQ(block, receiver.Blocks()[0]);
    EXPECT_EQ(rig.engine.BlockCount(), 11);
    EXPECT_EQ(rig.engine.RejectedCount(), 11);
    EXPECT_EQ(rig.engine.ByteCount(), 0);
}

TEST_F(TransmitTest, RefusedBlockIsResentUntilAcknowledged) {
    receiver.onBlock = [](int n, const std::string&) {
        return std::string(1, n < 3 ? kNak : kAck);
    };
    rig.Reply("C");
    EXPECT_EQ(rig.engine.Transmit(dir.Write("f.bin", Pattern(10))), kXmodemSuccess);
    EXPECT_EQ(rig.engine.BlockCount(), 4);
    EXPECT_EQ(rig.engine.RejectedCount(), 3);
    EXPECT_EQ(rig.engine.ByteCount(), 128);
}

TEST_F(TransmitTest, EotUnacknowledgedFiveTimesGivesFive) {
    receiver.onEot = [](int) { return std::string(); };
    rig.Reply("C");
    EXPECT_EQ(rig.engine.Transmit(dir.Write("f.bin", Pattern(10))), kXmodemNoEotAck);
    ASSERT_EQ(receiver.EotTimes().size(), 5u);
    for (std::size_t i = 1; i < 5; ++i) {
        const auto gap = receiver.EotTimes()[i] - receiver.EotTimes()[i - 1];
        EXPECT_GE(gap, 10000u);
        EXPECT_LE(gap, 10100u);
    }
}

TEST_F(TransmitTest, OtherReplyToEotIsAFailedTryWithoutWaiting) {
    receiver.onEot = [](int n) { return std::string(1, n == 0 ? kNak : kAck); };
    rig.Reply("C");
    EXPECT_EQ(rig.engine.Transmit(dir.Write("f.bin", "")), kXmodemSuccess);
    ASSERT_EQ(receiver.EotTimes().size(), 2u);
    EXPECT_LT(receiver.EotTimes()[1] - receiver.EotTimes()[0], 100u);
}

TEST_F(TransmitTest, BlockNumberWrapsToZeroWithComplement255) {
    const std::string data = Pattern(257 * 128);
    rig.Reply("C");
    ASSERT_EQ(rig.engine.Transmit(dir.Write("big.bin", data)), kXmodemSuccess);
    ASSERT_EQ(receiver.Blocks().size(), 257u);
    EXPECT_EQ(receiver.Blocks()[254].substr(1, 2), "\xFF\x00"s);
    EXPECT_EQ(receiver.Blocks()[255].substr(0, 3), "\x01\x00\xFF"s);
    EXPECT_EQ(receiver.Blocks()[256].substr(0, 3), "\x01\x01\xFE"s);
    EXPECT_EQ(receiver.Blocks()[255], WireBlock(256, data.substr(255 * 128, 128), true));
}

TEST_F(TransmitTest, UnopenableFileGivesSixAfterOpeningThePort) {
    EXPECT_EQ(rig.engine.Transmit(dir.Path("missing")), kXmodemCannotOpenTransmitFile);
    EXPECT_EQ(rig.engine.TransmitText(dir.Path("missing")), kXmodemCannotOpenTransmitFile);
    EXPECT_EQ(rig.line.OpenedPaths().size(), 2u);
    EXPECT_EQ(rig.line.OpenedRates(), (std::vector<std::uint32_t>{9600, 9600}));
    EXPECT_EQ(rig.line.Written(), "");
}

TEST_F(TransmitTest, DirectoryIsAFileThatCannotBeOpened) {
    // Opening a directory for reading succeeds here, but every read fails: sent as an empty
    // file it would end as a success.
    rig.Reply("C");
    EXPECT_EQ(rig.engine.Transmit(dir.Path()), kXmodemCannotOpenTransmitFile);
    EXPECT_EQ(rig.engine.TransmitText(dir.Path()), kXmodemCannotOpenTransmitFile);
    EXPECT_EQ(rig.line.Written(), "");
}

// Wherever the transmit waits, a vanished device ends it within one 20 ms poll with 3.
TEST(TransmitLostDevice, EndsWithinOnePollWithThree) {
    TempDir dir;
    const std::string in = dir.Write("f.bin", Pattern(300));
    struct Case {
        const char* waitingFor;
        bool receiverStarts;
        int blocksAnswered;  // the others get no reply
    };
    for (const Case& c : {Case{"the handshake", false, 0}, Case{"a block's reply", true, 1},
                          Case{"the EOT's reply", true, 3}}) {
        FakeRig rig;
        ScriptedReceiver receiver{rig};
        receiver.onBlock = [&c](int n, const std::string&) {
            return n < c.blocksAnswered ? std::string(1, kAck) : std::string();
        };
        receiver.onEot = [](int) { return std::string(); };
        if (c.receiverStarts) rig.Reply("C");
        rig.clock.At(5000, [&rig] { rig.line.Pull("Input/output error"); });
        EXPECT_EQ(rig.engine.Transmit(in), kXmodemTooManyRetries) << c.waitingFor;
        EXPECT_LE(rig.Now() - 5000, 20u) << c.waitingFor;
        EXPECT_TRUE(rig.port.DeviceLost());
        EXPECT_EQ(rig.port.LostReason(), "Input/output error");
    }
}

TEST(XmodemNoPort, EveryOperationGivesFifteen) {
    CXmodem engine(nullptr, 1, 9600);
    EXPECT_EQ(engine.Transmit("/nonexistent"), kXmodemNoPort);
    EXPECT_EQ(engine.Receive("/nonexistent"), kXmodemNoPort);
    EXPECT_EQ(engine.TransmitText("/nonexistent"), kXmodemNoPort);
    EXPECT_EQ(engine.LastResult(), kXmodemNoPort);
}

TEST_F(TransmitTest, PortThatFailsToOpenEndsThroughTheTimeOut) {
    rig.line.FailOpens("busy");
    EXPECT_EQ(rig.engine.Transmit(dir.Write("f.bin", Pattern(10))), kXmodemNoResponse);
    EXPECT_GE(rig.Now(), 90000u);
}

// Cancel, set while the engine waits, takes effect within about one 20 ms poll.
class TransmitCancelTest : public TransmitTest {
protected:
    int CancelAt(std::uint64_t tickMs, const std::string& data = Pattern(300)) {
        rig.clock.At(tickMs, [this] { rig.engine.Cancel(); });
        const int result = rig.engine.Transmit(dir.Write("f.bin", data));
        EXPECT_TRUE(rig.engine.CancelRequested());
        EXPECT_LE(rig.Now() - tickMs, 40u);
        return result;
    }
};

TEST_F(TransmitCancelTest, DuringHandshake) { EXPECT_EQ(CancelAt(5000), kXmodemNoResponse); }

TEST_F(TransmitCancelTest, WhileWaitingForTheReply) {
    receiver.onBlock = [](int, const std::string&) { return std::string(); };
    rig.Reply("C");
    EXPECT_EQ(CancelAt(3000), kXmodemNoBlockResponse);
    EXPECT_EQ(receiver.Blocks().size(), 1u);
}

TEST_F(TransmitCancelTest, BeforeAResend) {
    receiver.onBlock = [](int, const std::string&) { return std::string(1, kNak); };
    rig.engine.SetOwner([this] {
        if (rig.engine.RejectedCount() == 1) rig.engine.Cancel();
    });
    rig.Reply("C");
    EXPECT_EQ(rig.engine.Transmit(dir.Write("f.bin", Pattern(300))), kXmodemTooManyRetries);
    EXPECT_EQ(receiver.Blocks().size(), 1u);
}

TEST_F(TransmitCancelTest, WhileWaitingForTheEotAck) {
    receiver.onEot = [](int) { return std::string(); };
    rig.Reply("C");
    EXPECT_EQ(CancelAt(5000, ""), kXmodemNoEotAck);
}

}  // namespace
}  // namespace zentrip::testing
