// Our XMODEM engine against the lrzsz reference tools over pseudo-terminals, and guards on the
// peer: what the engine relies on in lrzsz, so a peer that changes fails its guard here
// instead of passing for a fault of ours.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

#include "link/serial_port.h"
#include "terminal/crc16.h"
#include "terminal/xmodem.h"
#include "terminal/xmodem_test_util.h"
#include "tests/support/lrzsz_peer.h"
#include "tests/support/pty_relay.h"

namespace zentrip::testing {
namespace {

using Seconds = std::chrono::duration<double>;

std::string Padded(std::string data, char pad) {
    data.resize((data.size() + 127) / 128 * 128, pad);
    return data;
}

class XmodemInteropTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (FindProgram("socat").empty() || FindProgram("rx").empty() ||
            FindProgram("sx").empty()) {
            GTEST_SKIP() << "socat and lrzsz are needed (./test installs them)";
        }
    }

    // Our Transmit to `rx` (with -c for CRC); returns the result and leaves rx's file in
    // `received` (nothing when there is none).
    int TransmitToRx(const std::string& data, bool crc) {
        dir.Write("in.bin", data);
        std::vector<std::string> rx{"rx"};
        if (crc) rx.push_back("-c");
        rx.push_back("out.bin");
        LrzszPeer peer(dir.Path(""), rx);
        EXPECT_TRUE(peer.Ready(5000));
        CSerialPort port;
        port.SetDevicePathFn([&](int) { return peer.TtyPath(); });
        CXmodem engine(&port, 1, 115200);
        engine.SetMode(CXmodem::kModeUnchosen);
        const int result = engine.Transmit(dir.Path("in.bin"));
        mode = engine.Mode();
        EXPECT_TRUE(peer.Wait(10000)) << peer.Diagnostics();
        EXPECT_EQ(result, kXmodemSuccess) << peer.Diagnostics();
        received = TempDir::ReadIfThere(dir.Path("out.bin"));
        return result;
    }

    // `sx` to our Receive into target (default out.bin), started in that order: sx discards
    // what arrives while it starts. sx must end within sxEndMs after the receive.
    int ReceiveFromSx(const std::string& data, std::string target = {}, int sxEndMs = 10000) {
        if (target.empty()) target = dir.Path("out.bin");
        dir.Write("in.bin", data);
        LrzszPeer peer(dir.Path(""), {"sx", "in.bin"});
        EXPECT_TRUE(peer.Ready(5000));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        CSerialPort port;
        port.SetDevicePathFn([&](int) { return peer.TtyPath(); });
        CXmodem engine(&port, 1, 115200);
        const int result = engine.Receive(target);
        rejected = engine.RejectedCount();
        EXPECT_TRUE(peer.Wait(sxEndMs)) << peer.Diagnostics();
        received = TempDir::ReadIfThere(dir.Path("out.bin"));
        return result;
    }

    TempDir dir;
    std::optional<std::string> received;
    int mode = -1;
    int rejected = -1;
};

TEST_F(XmodemInteropTest, TransmitToRxInChecksumMode) {
    for (std::size_t size : {0u, 130u, 256u}) {
        const std::string data = Pattern(size);
        EXPECT_EQ(TransmitToRx(data, false), kXmodemSuccess) << size;
        EXPECT_EQ(mode, CXmodem::kModeChecksum);
        EXPECT_EQ(received, Padded(data, '\0')) << size;
    }
}

TEST_F(XmodemInteropTest, TransmitToRxInCrcMode) {
    for (std::size_t size : {0u, 130u, 256u}) {
        const std::string data = Pattern(size);
        EXPECT_EQ(TransmitToRx(data, true), kXmodemSuccess) << size;
        EXPECT_EQ(mode, CXmodem::kModeCrc);
        EXPECT_EQ(received, Padded(data, '\0')) << size;
    }
}

TEST_F(XmodemInteropTest, Transmit64KiBToRx) {
    const std::string data = Pattern(64 * 1024);
    EXPECT_EQ(TransmitToRx(data, true), kXmodemSuccess);
    EXPECT_EQ(received, data);
}

TEST_F(XmodemInteropTest, ReceiveFromSx) {
    for (std::size_t size : {0u, 130u, 256u}) {
        const std::string data = Pattern(size);
        EXPECT_EQ(ReceiveFromSx(data), kXmodemSuccess) << size;
        EXPECT_EQ(received, Padded(data, 0x1A)) << size;
        EXPECT_EQ(rejected, 0);
    }
}

TEST_F(XmodemInteropTest, Receive64KiBFromSx) {
    const std::string data = Pattern(64 * 1024 + 1);
    EXPECT_EQ(ReceiveFromSx(data), kXmodemSuccess);
    EXPECT_EQ(received, Padded(data, 0x1A));
}

// sx sends through a relay that damages one byte in 500: the receive ends with the file
// exactly as sent (with sx's padding) or with an error code, never with a wrong file.
// A file that takes no more ends the receive with CAN, and sx stops at once instead of waiting
// out its time-outs (it takes only two CANs in a row as a cancel).
TEST_F(XmodemInteropTest, WriteErrorStopsSxAtOnce) {
    EXPECT_EQ(ReceiveFromSx(Pattern(4096), "/dev/full", 3000), kXmodemWriteError);
}

TEST_F(XmodemInteropTest, CorruptingLineNeverGivesAWrongFile) {
    const std::string data = Pattern(16 * 1024);
    int recovered = 0;
    for (unsigned pattern : {1u, 2u, 3u}) {
        dir.Write("in.bin", data);
        LrzszPeer peer(dir.Path(""), {"sx", "in.bin"});
        ASSERT_TRUE(peer.Ready(5000));
        PtyRelay relay(peer.TtyPath(), 500, pattern);
        ASSERT_TRUE(relay.Ok());
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        CSerialPort port;
        port.SetDevicePathFn([&](int) { return relay.Path(); });
        CXmodem engine(&port, 1, 115200);
        const int result = engine.Receive(dir.Path("out.bin"));
        port.Close();
        peer.Wait(15000);
        EXPECT_GT(relay.Corrupted(), 0) << pattern;
        if (result == kXmodemSuccess) {
            EXPECT_EQ(TempDir::Read(dir.Path("out.bin")), data) << "pattern " << pattern;
            EXPECT_GT(engine.RejectedCount(), 0);
            ++recovered;
        } else {
            EXPECT_EQ(result, kXmodemTooManyReceiveTries) << pattern;
        }
    }
    // Most damage is a bad CRC or header that one resend mends.
    EXPECT_GE(recovered, 1);
}

// Guards on the peer: these test lrzsz, not Zentrip.
using LrzszPeerGuard = XmodemInteropTest;

TEST_F(LrzszPeerGuard, RxAsksWithNakOrWithCForCrc) {
    for (bool crc : {false, true}) {
        std::vector<std::string> rx{"rx"};
        if (crc) rx.push_back("-c");
        rx.push_back(crc ? "c.bin" : "n.bin");
        LrzszPeer peer(dir.Path(""), rx);
        ASSERT_TRUE(peer.Ready(5000));
        RawTty tty(peer.TtyPath());
        EXPECT_EQ(tty.Read(1, 15000), crc ? "C" : "\x15");
        tty.Write(std::string(8, kCan));
        EXPECT_TRUE(peer.Wait(10000)) << peer.Diagnostics();
    }
}

TEST_F(LrzszPeerGuard, SxTakesNakOrCAndPadsWith1A) {
    dir.Write("in.bin", Pattern(130));
    for (char start : {kNak, 'C'}) {
        LrzszPeer peer(dir.Path(""), {"sx", "in.bin"});
        ASSERT_TRUE(peer.Ready(5000));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        RawTty tty(peer.TtyPath());
        const bool crc = start == 'C';
        const std::size_t size = crc ? 133 : 132;
        tty.Write(std::string(1, start));
        EXPECT_EQ(tty.Read(size, 10000), WireBlock(1, Pattern(130).substr(0, 128), crc));
        tty.Write(std::string(1, kAck));
        EXPECT_EQ(tty.Read(size, 10000), WireBlock(2, Pattern(130).substr(128), crc, 0x1A));
        tty.Write(std::string(1, kAck));
        EXPECT_EQ(tty.Read(1, 10000), std::string(1, kEot));
        tty.Write(std::string(1, kAck));
        EXPECT_TRUE(peer.Wait(10000)) << peer.Diagnostics();
    }
}

TEST_F(LrzszPeerGuard, RxRepliesToBadFirstBlockDuplicateAndEot) {
    LrzszPeer peer(dir.Path(""), {"rx", "-c", "out.bin"});
    ASSERT_TRUE(peer.Ready(5000));
    RawTty tty(peer.TtyPath());
    ASSERT_EQ(tty.Read(1, 10000), "C");
    const std::string one = WireBlock(1, std::string(128, 'A'), true);
    const std::string two = WireBlock(2, std::string(128, 'B'), true);
    std::string bad = one;
    bad[60] = static_cast<char>(bad[60] ^ 0x40);

    tty.Write(bad);
    EXPECT_EQ(tty.Read(1, 5000), "C");  // a bad first CRC block is answered with 'C'
    tty.Read(8, 300);
    tty.Write(one);
    EXPECT_EQ(tty.Read(1, 5000), std::string(1, kAck));
    tty.Write(one);  // a duplicate is acknowledged ...
    EXPECT_EQ(tty.Read(1, 5000), std::string(1, kAck));
    tty.Write(two);
    EXPECT_EQ(tty.Read(1, 5000), std::string(1, kAck));
    const auto eotAt = std::chrono::steady_clock::now();
    tty.Write(std::string(1, kEot));
    EXPECT_EQ(tty.Read(1, 5000), std::string(1, kAck));
    const Seconds wait = std::chrono::steady_clock::now() - eotAt;
    EXPECT_GE(wait.count(), 0.9);  // only after a second of quiet
    EXPECT_TRUE(peer.Wait(10000)) << peer.Diagnostics();
    // ... and not written.
    EXPECT_EQ(TempDir::Read(dir.Path("out.bin")), std::string(128, 'A') + std::string(128, 'B'));
}

}  // namespace
}  // namespace zentrip::testing
