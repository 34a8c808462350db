#include <gtest/gtest.h>

#include <vector>

#include "terminal/xmodem_test_util.h"

namespace zentrip::testing {
namespace {

// A sender that answers the engine's 'C', NAK and ACK like an XMODEM transmitter, with hooks
// that damage, repeat or withhold what it sends.
class ScriptedSender {
public:
    // What goes on the wire for the n-th transmission (0-based) of a block; default: the block.
    std::function<std::string(int, const std::string&)> onSend = [](int, const std::string& b) {
        return b;
    };

    ScriptedSender(FakeRig& rig, const std::string& data, char pad = 0x1A) : m_rig(rig) {
        for (std::size_t at = 0; at < data.size(); at += 128) {
            m_blocks.push_back(
                WireBlock(static_cast<int>(at / 128 + 1), data.substr(at, 128), true, pad));
        }
        rig.line.SetResponder([this](std::string_view written, FakeSerialLine&) {
            for (char c : written) Take(c);
        });
    }
    int Sends() const { return m_sends; }
    const std::string& Received() const { return m_received; }
    // When the n-th transmission's last byte came off the line.
    std::uint64_t SentUntil(int n) const { return m_sentUntil.at(static_cast<std::size_t>(n)); }

private:
    void Take(char c) {
        m_received += c;
        if (c == kAck && m_started) ++m_next;
        if (c != 'C' && c != kNak && c != kAck) return;
        m_started = true;
        if (m_next >= m_blocks.size()) {
            if (!m_eotSent) m_rig.Reply(std::string(1, kEot));
            m_eotSent = true;
            return;
        }
        m_rig.Reply(onSend(m_sends++, m_blocks[m_next]));
        m_sentUntil.push_back(m_rig.line.LastDueTick());
    }

    FakeRig& m_rig;
    std::vector<std::string> m_blocks;
    std::size_t m_next = 0;
    int m_sends = 0;
    bool m_started = false;
    bool m_eotSent = false;
    std::string m_received;
    std::vector<std::uint64_t> m_sentUntil;
};

std::string Padded(std::string data, char pad = 0x1A) {
    data.resize((data.size() + 127) / 128 * 128, pad);
    return data;
}

std::string Corrupt(std::string block, std::size_t at) {
    block[at] = static_cast<char>(block[at] ^ 0x5A);
    return block;
}

class ReceiveTest : public ::testing::Test {
protected:
    TempDir dir;
    FakeRig rig;
    std::string out = dir.Path("out.bin");
};

TEST_F(ReceiveTest, GoodFileIsWrittenWithTheSendersPadding) {
    const std::string data = Pattern(130);
    ScriptedSender sender(rig, data);
    ASSERT_EQ(rig.engine.Receive(out), kXmodemSuccess);
    EXPECT_EQ(TempDir::Read(out), Padded(data));
    EXPECT_EQ(sender.Received(), std::string("C") + kAck + kAck + kAck);
    EXPECT_EQ(rig.engine.BlockCount(), 2);
    EXPECT_EQ(rig.engine.ByteCount(), 256);
    EXPECT_EQ(rig.engine.Total(), 256);
    EXPECT_EQ(rig.engine.RejectedCount(), 0);
    // EOT ends the file only after a second of quiet.
    const auto writes = rig.line.Writes();
    EXPECT_GE(writes.back().tickMs - writes[writes.size() - 2].tickMs, 1000u);
}

TEST_F(ReceiveTest, CorruptedBlockIsRefusedThenTakenAgain) {
    const std::string data = Pattern(256);
    ScriptedSender sender(rig, data);
    sender.onSend = [](int n, const std::string& b) { return n == 1 ? Corrupt(b, 50) : b; };
    ASSERT_EQ(rig.engine.Receive(out), kXmodemSuccess);
    EXPECT_EQ(TempDir::Read(out), data);
    EXPECT_EQ(sender.Received(), std::string("C") + kAck + kNak + kAck + kAck);
    EXPECT_EQ(rig.engine.RejectedCount(), 1);
    EXPECT_EQ(rig.engine.BlockCount(), 2);
}

TEST_F(ReceiveTest, BadFirstBlockIsAnsweredWithC) {
    const std::string data = Pattern(128);
    ScriptedSender sender(rig, data);
    sender.onSend = [](int n, const std::string& b) { return n == 0 ? Corrupt(b, 132) : b; };
    ASSERT_EQ(rig.engine.Receive(out), kXmodemSuccess);
    EXPECT_EQ(sender.Received(), std::string("CC") + kAck + kAck);
}

TEST_F(ReceiveTest, DuplicateAfterALostAckIsAcknowledgedNotWritten) {
    const std::string data = Pattern(384);
    ScriptedSender sender(rig, data);
    // Block 2 goes out twice as if our first ACK had been lost on the line.
    sender.onSend = [](int n, const std::string& b) { return n == 1 ? b + b : b; };
    ASSERT_EQ(rig.engine.Receive(out), kXmodemSuccess);
    EXPECT_EQ(TempDir::Read(out), data);
    EXPECT_EQ(rig.engine.BlockCount(), 3);
    EXPECT_EQ(rig.engine.RejectedCount(), 0);
    EXPECT_EQ(rig.line.Written(), std::string("C") + kAck + kAck + kAck + kAck + kAck);
}

TEST_F(ReceiveTest, DamagedHeaderIsRecoveredByTheResend) {
    // Wrong number, then wrong complement: the rest of the block is purged, not read as blocks.
    const std::string data = Pattern(256);
    for (std::size_t at : {1u, 2u}) {
        FakeRig other;
        ScriptedSender sender(other, data);
        sender.onSend = [at](int n, const std::string& b) { return n == 1 ? Corrupt(b, at) : b; };
        ASSERT_EQ(other.engine.Receive(out), kXmodemSuccess) << at;
        EXPECT_EQ(TempDir::Read(out), data);
        EXPECT_EQ(sender.Received(), std::string("C") + kAck + kNak + kAck + kAck) << at;
        EXPECT_EQ(other.engine.RejectedCount(), 1);
    }
}

TEST_F(ReceiveTest, EotFollowedByMoreBytesIsNotTheEnd) {
    // A block whose SOH was damaged into EOT: the file is not finished.
    const std::string data = Pattern(256);
    ScriptedSender sender(rig, data);
    sender.onSend = [](int n, const std::string& b) {
        return n == 1 ? std::string(1, kEot) + b.substr(1) : b;
    };
    ASSERT_EQ(rig.engine.Receive(out), kXmodemSuccess);
    EXPECT_EQ(TempDir::Read(out), data);
    EXPECT_EQ(rig.engine.RejectedCount(), 1);
}

TEST_F(ReceiveTest, SilentSenderGetsElevenCsThenEightAndTheFileStaysAsItWas) {
    dir.Write("out.bin", "precious");
    EXPECT_EQ(rig.engine.Receive(out), kXmodemTooManyReceiveTries);
    const auto writes = rig.line.Writes();
    ASSERT_EQ(writes.size(), 11u);
    for (std::size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i].bytes, "C");
        if (i > 0) {
            EXPECT_GE(writes[i].tickMs - writes[i - 1].tickMs, 2000u);
            EXPECT_LE(writes[i].tickMs - writes[i - 1].tickMs, 2100u);
        }
    }
    EXPECT_EQ(rig.engine.RejectedCount(), 10);
    EXPECT_EQ(TempDir::Read(out), "precious");
    EXPECT_EQ(dir.Names(), std::set<std::string>{"out.bin"}) << "nothing arrived, nothing kept";
}

TEST_F(ReceiveTest, VanishedDeviceEndsWithinOnePollKeepingWhatArrivedBeside) {
    dir.Write("out.bin", "precious");
    const std::string data = Pattern(384);
    ScriptedSender sender(rig, data);
    // The third block stops halfway; the device goes while the rest is awaited.
    sender.onSend = [](int n, const std::string& b) { return n == 2 ? b.substr(0, 60) : b; };
    rig.clock.At(500, [this] { rig.line.Pull("Input/output error"); });
    EXPECT_EQ(rig.engine.Receive(out), kXmodemTooManyReceiveTries);
    EXPECT_LE(rig.Now() - 500, 20u);
    EXPECT_EQ(sender.Received(), std::string("C") + kAck + kAck) << "no CAN to a lost device";
    EXPECT_EQ(TempDir::Read(out), "precious");
    EXPECT_EQ(TempDir::Read(out + ".part"), data.substr(0, 256));
}

TEST_F(ReceiveTest, CanFromTheSenderIsABadBlock) {
    ScriptedSender sender(rig, Pattern(128));
    sender.onSend = [](int, const std::string&) { return std::string(1, kCan); };
    EXPECT_EQ(rig.engine.Receive(out), kXmodemTooManyReceiveTries);
    EXPECT_EQ(sender.Sends(), 11);
}

TEST_F(ReceiveTest, BlockNumberWrapsToZero) {
    const std::string data = Pattern(258 * 128);
    ScriptedSender sender(rig, data);
    ASSERT_EQ(rig.engine.Receive(out), kXmodemSuccess);
    EXPECT_EQ(TempDir::Read(out), data);
    EXPECT_EQ(rig.engine.BlockCount(), 258);
    EXPECT_EQ(rig.engine.RejectedCount(), 0);
}

TEST_F(ReceiveTest, DuplicateOfBlock255AfterTheWrap) {
    const std::string data = Pattern(256 * 128);
    ScriptedSender sender(rig, data);
    sender.onSend = [](int n, const std::string& b) { return n == 254 ? b + b : b; };
    ASSERT_EQ(rig.engine.Receive(out), kXmodemSuccess);
    EXPECT_EQ(TempDir::Read(out), data);
}

TEST_F(ReceiveTest, UncreatableFileGivesSeven) {
    EXPECT_EQ(rig.engine.Receive(dir.Path("no/such/dir/out.bin")), kXmodemCannotCreateReceiveFile);
    EXPECT_EQ(rig.line.Written(), "");
}

TEST_F(ReceiveTest, FullDiskGivesNineAndCancelsTheSender) {
    ScriptedSender sender(rig, Pattern(256));
    EXPECT_EQ(rig.engine.Receive("/dev/full"), kXmodemWriteError);
    EXPECT_EQ(sender.Received(), "C\x18\x18") << "no ACK, and two CANs stop the sender";
}

// A slow line: bytes come a character time apart, handed over in bursts of 8 as a UART's
// FIFO does. A block whose first byte is damaged is refused at once while its tail still
// arrives; answered before that tail has passed, the resend would queue behind it and the
// receive would never find a block start again.
TEST(ReceiveSlowLine, DamagedBlockIsRefusedOnlyAfterItsTailPassed) {
    const std::string data = Pattern(384);
    for (std::uint32_t rate : {300u, 1200u, 9600u}) {
        TempDir dir;
        FakeRig rig(rate);
        rig.line.SetPace(rate, 8);
        ScriptedSender sender(rig, data);
        sender.onSend = [](int n, const std::string& b) { return n == 1 ? Corrupt(b, 0) : b; };
        ASSERT_EQ(rig.engine.Receive(dir.Path("out.bin")), kXmodemSuccess) << rate;
        EXPECT_EQ(TempDir::Read(dir.Path("out.bin")), data) << rate;
        EXPECT_EQ(sender.Received(), std::string("C") + kAck + kNak + kAck + kAck + kAck) << rate;
        const auto writes = rig.line.Writes();
        ASSERT_EQ(writes[2].bytes, std::string(1, kNak));
        EXPECT_GE(writes[2].tickMs, sender.SentUntil(1)) << rate;
    }
}

class ReceiveCancelTest : public ReceiveTest {
protected:
    void CancelAt(std::uint64_t tickMs) {
        rig.clock.At(tickMs, [this] { rig.engine.Cancel(); });
        EXPECT_EQ(rig.engine.Receive(out), kXmodemTooManyReceiveTries);
        EXPECT_LE(rig.Now() - tickMs, 40u);
        EXPECT_EQ(rig.line.Writes().back().bytes, std::string(1, kCan));
    }
};

TEST_F(ReceiveCancelTest, WaitingForTheFirstBlock) { CancelAt(1500); }

TEST_F(ReceiveCancelTest, InsideABlock) {
    ScriptedSender sender(rig, Pattern(256));
    // The second block stops after 40 bytes; cancel while waiting for the rest.
    sender.onSend = [](int n, const std::string& b) { return n == 1 ? b.substr(0, 40) : b; };
    CancelAt(600);
    EXPECT_EQ(rig.engine.BlockCount(), 1);
}

TEST_F(ReceiveCancelTest, WaitingForTheQuietAfterEot) {
    ScriptedSender sender(rig, Pattern(128));
    CancelAt(500);
    EXPECT_EQ(rig.engine.BlockCount(), 1);
}

}  // namespace
}  // namespace zentrip::testing
