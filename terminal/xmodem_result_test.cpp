#include "terminal/xmodem_result.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "terminal/crc16.h"
#include "terminal/xmodem_test_util.h"

namespace zentrip::testing {
namespace {

TEST(Crc16, CatalogueCheckValueAndKnownBlock) {
    EXPECT_EQ(Crc16("123456789", 9), 0x31C3);
    EXPECT_EQ(Crc16("", 0), 0);
    const std::string zeros(128, '\0');
    EXPECT_EQ(Crc16(zeros.data(), zeros.size()), 0);
    EXPECT_EQ(Crc16("A", 1), 0x58E5);
}

TEST(XmodemResultText, CodesAndInvalidOnes) {
    EXPECT_STREQ(XmodemResultText(0), "Transfer successful");
    EXPECT_STREQ(XmodemResultText(4), "No response from client after block sent");
    EXPECT_STREQ(XmodemResultText(5), "Remote client did not ACKnowledge to close connection");
    EXPECT_STREQ(XmodemResultText(8), "Too many tries or aborted during reception");
    EXPECT_STREQ(XmodemResultText(10), "Unknown error");
    EXPECT_STREQ(XmodemResultText(11), "Invalid error code");
    EXPECT_STREQ(XmodemResultText(15), "Invalid error code");
    EXPECT_STREQ(XmodemResultText(-1), "Invalid error code");
}

TEST(XmodemEngine, ConstructorClosesThePortAndStartsInCrcMode) {
    VirtualClock clock;
    FakeSerialLine line(clock);
    FakeSerialOpener opener(line);
    CSerialPort port(opener);
    ASSERT_EQ(port.Open(1, 9600), 1);
    CXmodem engine(&port, 2, 19200, clock);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(engine.Mode(), CXmodem::kModeCrc);
}

// Real threads: one runs a receive on a silent line in real time, another watches the
// statistics and cancels. The cancel lands within a poll interval or two.
TEST(XmodemEngine, CancelFromAnotherThreadDuringReceive) {
    TempDir dir;
    FakeSerialLine line(DefaultClock());
    FakeSerialOpener opener(line);
    CSerialPort port(opener);
    CXmodem engine(&port, 1, 9600);
    std::atomic<int> notifications{0};
    engine.SetOwner([&] { notifications.fetch_add(1); });

    std::atomic<int> result{-1};
    std::thread worker([&] { result = engine.Receive(dir.Path("out.bin")); });
    while (notifications.load() < 2) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(engine.BlockCount(), 0);
    EXPECT_EQ(engine.RejectedCount(), 0);
    const auto cancelledAt = std::chrono::steady_clock::now();
    engine.Cancel();
    worker.join();
    EXPECT_LT(std::chrono::steady_clock::now() - cancelledAt, std::chrono::milliseconds(5000));
    EXPECT_EQ(result.load(), kXmodemTooManyReceiveTries);
    EXPECT_EQ(line.Written(), std::string("C") + kCan);
}

}  // namespace
}  // namespace zentrip::testing
