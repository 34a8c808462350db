// CSerialPort over real pseudo-terminals: polled traffic, the reader thread with its ring and
// notifications, closing, exclusive use, and a device that vanishes.
#include "link/serial_port.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <string>
#include <thread>

#include "platform/pseudo_terminal.h"
#include "tests/support/wait_until.h"

namespace zentrip {
namespace {

using std::chrono::steady_clock;

using testing::MsSince;
using testing::WaitUntil;

// Collects from the port until n bytes came; the port may be polled or have a reader.
std::string ReadPort(CSerialPort& port, std::size_t n, int timeoutMs = 5000) {
    std::string got;
    char buf[300];
    const auto start = steady_clock::now();
    while (got.size() < n && MsSince(start) < timeoutMs) {
        port.WaitReadable(50);
        const int r = port.Read(buf, sizeof buf);
        got.append(buf, static_cast<std::size_t>(r));
    }
    return got;
}

// One byte from the port, or nothing when none came within timeoutMs.
std::string ReadOne(CSerialPort& port, int timeoutMs = 5000) {
    char ch = 0;
    if (!WaitUntil([&] { return port.ReadByte(&ch) == 1; }, timeoutMs)) return "";
    return std::string(1, ch);
}

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_pty.Ok());
        m_port.SetDevicePathFn([this](int port) { return port == 1 ? m_pty.SlavePath() : ""; });
    }

    // A reader callback that counts its calls and remembers the command it was given.
    CSerialPort::NotifyFn Counter(std::atomic<int>& calls, std::atomic<std::uint32_t>& command) {
        return [&calls, &command](std::uint32_t cmd) {
            command.store(cmd);
            calls.fetch_add(1);
        };
    }

    PseudoTerminal m_pty;
    CSerialPort m_port;
};

TEST(SerialPortPaths, PortNumbersLeadToTtySByDefault) {
    EXPECT_EQ(CSerialPort::DefaultDevicePath(1), "/dev/ttyS0");
    EXPECT_EQ(CSerialPort::DefaultDevicePath(4), "/dev/ttyS3");
}

TEST_F(SerialPortTest, PortZeroTouchesNoDevice) {
    int asked = 0;
    m_port.SetDevicePathFn([&asked](int) {
        ++asked;
        return std::string("/dev/null");
    });
    EXPECT_EQ(m_port.Open(0, 9600), 0);
    EXPECT_EQ(m_port.Open(-3, 9600), 0);
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(m_port.IsOpen());
    char ch = 'x';
    EXPECT_EQ(m_port.ReadByte(&ch), 0);
    EXPECT_EQ(m_port.WriteByte('a'), 0);
    EXPECT_EQ(m_port.StartReader(nullptr, 1013, 0), 0);
}

TEST_F(SerialPortTest, FailedOpenKeepsTheReasonAndLeavesThePortClosed) {
    EXPECT_EQ(m_port.Open(2, 9600), 0);
    EXPECT_EQ(m_port.OpenError(), "No such file or directory");
    m_port.SetDevicePathFn([](int) { return std::string("/dev/zentrip-missing"); });
    EXPECT_EQ(m_port.Open(1, 9600), 0);
    EXPECT_EQ(m_port.DevicePath(), "/dev/zentrip-missing");
    EXPECT_FALSE(m_port.IsOpen());
    EXPECT_EQ(m_port.WriteString("AT\r"), 0);
}

TEST_F(SerialPortTest, PolledBytesTravelInOrderBothWays) {
    ASSERT_EQ(m_port.Open(1, 9600), 1) << m_port.OpenError();
    EXPECT_EQ(m_port.DevicePath(), m_pty.SlavePath());

    EXPECT_EQ(m_port.WriteByte('A'), 1);
    EXPECT_EQ(m_port.Write("TZ\r", 0), 1);    // up to the terminator, without it
    EXPECT_EQ(m_port.Write("a\0bcd", 3), 1);  // exactly three, the zero included
    EXPECT_EQ(m_port.WriteString(std::string("x\0y", 3)), 1);
    EXPECT_EQ(m_port.WriteString(""), 1);
    EXPECT_EQ(m_pty.ReadMaster(10), std::string("ATZ\ra\0bx\0y", 10));
    EXPECT_EQ(m_pty.ReadMaster(1, 50), "") << "nothing beyond what was asked";

    char ch = 0;
    EXPECT_EQ(m_port.ReadByte(&ch), 0);
    char buf[10];
    EXPECT_EQ(m_port.Read(buf, 10), 0);
    ASSERT_TRUE(m_pty.WriteMaster("OK\r\n"));
    ASSERT_TRUE(m_port.WaitReadable(5000));
    ASSERT_TRUE(WaitUntil([&] { return m_port.ReadByte(&ch) == 1; }));
    EXPECT_EQ(ch, 'O');
    EXPECT_EQ(m_port.Read(buf, 0), 0);
    EXPECT_EQ(ReadPort(m_port, 3), "K\r\n");
}

TEST_F(SerialPortTest, ReaderWithTriggerZeroNotifiesOncePerChunk) {
    ASSERT_EQ(m_port.Open(1, 9600), 1) << m_port.OpenError();
    std::atomic<int> calls{0};
    std::atomic<std::uint32_t> command{0};
    ASSERT_EQ(m_port.StartReader(Counter(calls, command), 1013, 0), 1);
    EXPECT_TRUE(m_port.ReaderRunning());

    // One write on the master side reaches the line discipline as one chunk.
    ASSERT_TRUE(m_pty.WriteMaster("hello"));
    ASSERT_TRUE(WaitUntil([&] { return calls.load() >= 1; }));
    char buf[10];
    EXPECT_EQ(m_port.Read(buf, 10), 5);
    EXPECT_EQ(std::string(buf, 5), "hello");
    EXPECT_EQ(calls.load(), 1);
    EXPECT_EQ(command.load(), 1013u);

    ASSERT_TRUE(m_pty.WriteMaster("abc"));
    ASSERT_TRUE(WaitUntil([&] { return calls.load() >= 2; }));
    EXPECT_EQ(m_port.Read(buf, 0), 0);
    char ch = 0;
    EXPECT_EQ(m_port.ReadByte(&ch), 1);
    EXPECT_EQ(ch, 'a');
    EXPECT_EQ(m_port.Read(buf, 10), 2) << "what is left, no more";
    EXPECT_EQ(std::string(buf, 2), "bc");
    EXPECT_EQ(m_port.Read(buf, 10), 0);

    // Writes go out while the reader runs.
    EXPECT_EQ(m_port.WriteString("ATH0\r"), 1);
    EXPECT_EQ(m_pty.ReadMaster(5), "ATH0\r");
}

TEST_F(SerialPortTest, ReaderWithCarriageReturnTriggerNotifiesPerTrigger) {
    ASSERT_EQ(m_port.Open(1, 9600), 1) << m_port.OpenError();
    std::atomic<int> calls{0};
    std::atomic<std::uint32_t> command{0};
    ASSERT_EQ(m_port.StartReader(Counter(calls, command), 7, '\r'), 1);
    ASSERT_TRUE(m_pty.WriteMaster("ab\rc\r"));
    // A trigger byte is in the ring before its notification goes out.
    ASSERT_TRUE(WaitUntil([&] { return calls.load() >= 1; }));
    char buf[10];
    const int first = m_port.Read(buf, 10);
    ASSERT_GE(first, 3);
    EXPECT_EQ(std::string(buf, 3), "ab\r");
    ASSERT_TRUE(WaitUntil([&] { return calls.load() >= 2; }));
    EXPECT_EQ(std::string(buf, static_cast<std::size_t>(first)) + ReadPort(m_port, 5 - first),
              "ab\rc\r");
    EXPECT_EQ(calls.load(), 2);
    EXPECT_EQ(command.load(), 7u);

    ASSERT_TRUE(m_pty.WriteMaster("no trigger"));
    EXPECT_EQ(ReadPort(m_port, 10), "no trigger");
    EXPECT_EQ(calls.load(), 2) << "bytes without a trigger notify nobody";
}

TEST_F(SerialPortTest, SecondStartReaderKeepsCallbackAndCommandTakesTrigger) {
    ASSERT_EQ(m_port.Open(1, 9600), 1) << m_port.OpenError();
    std::atomic<int> firstCalls{0}, secondCalls{0};
    std::atomic<std::uint32_t> firstCommand{0}, secondCommand{0};
    ASSERT_EQ(m_port.StartReader(Counter(firstCalls, firstCommand), 1013, 0), 1);
    EXPECT_EQ(m_port.StartReader(Counter(secondCalls, secondCommand), 77, '\r'), 1);
    EXPECT_EQ(m_port.Trigger(), '\r');

    ASSERT_TRUE(m_pty.WriteMaster("x\ry\rz"));
    EXPECT_EQ(ReadPort(m_port, 5), "x\ry\rz");
    ASSERT_TRUE(WaitUntil([&] { return firstCalls.load() >= 2; }));
    EXPECT_EQ(firstCalls.load(), 2) << "one per carriage return, none for the chunk";
    EXPECT_EQ(firstCommand.load(), 1013u);
    EXPECT_EQ(secondCalls.load(), 0);
}

TEST_F(SerialPortTest, StartReaderOnAClosedPortChangesNothing) {
    EXPECT_EQ(m_port.StartReader(nullptr, 1013, 'A'), 0);
    EXPECT_EQ(m_port.Trigger(), 0);
    ASSERT_EQ(m_port.Open(1, 9600), 1) << m_port.OpenError();
    ASSERT_EQ(m_port.StartReader(nullptr, 1013, 'A'), 1);
    m_port.Close();
    EXPECT_FALSE(m_port.ReaderStarted());
    EXPECT_EQ(m_port.StartReader(nullptr, 1013, 'B'), 0);
    EXPECT_EQ(m_port.Trigger(), 'A');
    EXPECT_FALSE(m_port.ReaderStarted());
}

TEST_F(SerialPortTest, CloseIsHarmlessTwiceAndPromptWhileTheReaderWaits) {
    m_port.Close();
    ASSERT_EQ(m_port.Open(1, 9600), 1) << m_port.OpenError();
    ASSERT_EQ(m_port.StartReader([](std::uint32_t) {}, 1013, 0), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // let it settle into its wait
    const auto start = steady_clock::now();
    m_port.Close();
    EXPECT_LT(MsSince(start), 5000) << "a hang, not a readiness wait of 200 ms";
    EXPECT_FALSE(m_port.IsOpen());
    EXPECT_FALSE(m_port.ReaderStarted());
    m_port.Close();
    EXPECT_EQ(m_port.WriteByte('a'), 0);
    char ch;
    EXPECT_EQ(m_port.ReadByte(&ch), 0);

    // The port opens again, polled, and the ring starts empty.
    ASSERT_EQ(m_port.Open(1, 9600), 1) << m_port.OpenError();
    EXPECT_EQ(m_port.ReadByte(&ch), 0);
}

TEST_F(SerialPortTest, SecondPortOnAHeldDeviceFails) {
    ASSERT_EQ(m_port.Open(1, 9600), 1) << m_port.OpenError();
    CSerialPort other;
    other.SetDevicePathFn([this](int) { return m_pty.SlavePath(); });
    EXPECT_EQ(other.Open(3, 9600), 0);
    EXPECT_EQ(other.OpenError(), "Device or resource busy");
    EXPECT_FALSE(other.IsOpen());
    EXPECT_EQ(other.WriteByte('a'), 0);
    EXPECT_EQ(m_pty.ReadMaster(1, 50), "") << "the refused port sent nothing";
    m_port.Close();
    EXPECT_EQ(other.Open(3, 9600), 1) << other.OpenError();
}

// One device read takes everything waiting; later reads are served from it. A pty whose
// master closes throws away what it still held, so what is read after that came from ours.
TEST_F(SerialPortTest, ReadAheadHoldsWhatOneReadTook) {
    ASSERT_EQ(m_port.Open(1, 9600), 1) << m_port.OpenError();
    ASSERT_TRUE(m_pty.WriteMaster("abcd"));
    EXPECT_EQ(ReadOne(m_port), "a");
    m_pty.CloseMaster();
    char ch = 0;
    EXPECT_TRUE(m_port.WaitReadable(0)) << "buffered bytes are readable";
    ASSERT_EQ(m_port.ReadByte(&ch), 1);
    EXPECT_EQ(ch, 'b');
    char buf[10];
    ASSERT_EQ(m_port.Read(buf, 10), 2);
    EXPECT_EQ(std::string(buf, 2), "cd");
    EXPECT_EQ(m_port.ReadByte(&ch), 0);
    EXPECT_FALSE(m_port.WaitReadable(1000));
    EXPECT_TRUE(m_port.DeviceLost());
}

TEST_F(SerialPortTest, ReadAheadOutlastsAReopenOfTheSameDeviceOnly) {
    PseudoTerminal other;
    ASSERT_TRUE(other.Ok());
    m_port.SetDevicePathFn(
        [&](int port) { return port == 1 ? m_pty.SlavePath() : other.SlavePath(); });
    ASSERT_EQ(m_port.Open(1, 9600), 1) << m_port.OpenError();
    ASSERT_TRUE(m_pty.WriteMaster("xyz"));
    EXPECT_EQ(ReadOne(m_port), "x");  // takes "xyz" from the device
    m_port.Close();
    ASSERT_EQ(m_port.Open(1, 9600), 1);
    EXPECT_EQ(ReadOne(m_port), "y");
    ASSERT_EQ(m_port.Open(2, 9600), 1);
    EXPECT_EQ(ReadOne(m_port, 200), "") << "bytes of another line";
}

TEST_F(SerialPortTest, ReaderServesTheReadAheadFirstAndTellsOfIt) {
    ASSERT_EQ(m_port.Open(1, 9600), 1) << m_port.OpenError();
    ASSERT_TRUE(m_pty.WriteMaster("hello"));
    EXPECT_EQ(ReadOne(m_port), "h");
    std::atomic<int> calls{0};
    std::atomic<std::uint32_t> command{0};
    ASSERT_EQ(m_port.StartReader(Counter(calls, command), 1013, 0), 1);
    ASSERT_TRUE(WaitUntil([&] { return calls.load() == 1; }))
        << "nothing new came, yet there is news";
    EXPECT_EQ(command.load(), 1013u);
    ASSERT_TRUE(m_pty.WriteMaster("!"));
    EXPECT_EQ(ReadPort(m_port, 5), "ello!");
}

TEST_F(SerialPortTest, VanishedDeviceWithAReader) {
    ASSERT_EQ(m_port.Open(1, 9600), 1) << m_port.OpenError();
    // After the pull the callback holds the reader until the test has looked at the port,
    // as an owner woken by the last notification does.
    std::atomic<int> calls{0};
    std::atomic<bool> pulled{false};
    std::promise<void> looked;
    std::shared_future<void> lookedDone = looked.get_future().share();
    const auto notify = [&](std::uint32_t) {
        calls.fetch_add(1);
        if (pulled.load()) lookedDone.wait_for(std::chrono::seconds(3));
    };
    ASSERT_EQ(m_port.StartReader(notify, 1013, 0), 1);
    ASSERT_TRUE(m_pty.WriteMaster("bye"));
    ASSERT_TRUE(WaitUntil([&] { return calls.load() >= 1; }));
    const int notifiedForData = calls.load();

    pulled = true;
    m_pty.CloseMaster();
    ASSERT_TRUE(WaitUntil([&] { return calls.load() == notifiedForData + 1; }, 3000))
        << "the reader says once that it ends";
    EXPECT_FALSE(m_port.ReaderRunning()) << "and the owner it wakes sees it ended";
    looked.set_value();
    EXPECT_TRUE(m_port.DeviceLost());
    EXPECT_EQ(m_port.LostReason(), "Input/output error");
    EXPECT_EQ(ReadPort(m_port, 3, 100), "bye") << "what arrived before stays readable";
    char ch;
    EXPECT_EQ(m_port.ReadByte(&ch), 0);
    EXPECT_EQ(m_port.WriteString("AT\r"), 0);
    EXPECT_EQ(m_port.WriteString(""), 0);

    const auto start = steady_clock::now();
    m_port.Close();
    EXPECT_LT(MsSince(start), 5000);
    EXPECT_TRUE(m_port.DeviceLost()) << "still known after Close, for the run's message";
    EXPECT_EQ(m_port.LostReason(), "Input/output error");
    EXPECT_EQ(m_port.DevicePath(), m_pty.SlavePath());
}

TEST_F(SerialPortTest, VanishedDeviceWhilePolling) {
    ASSERT_EQ(m_port.Open(1, 9600), 1) << m_port.OpenError();
    m_pty.CloseMaster();
    const auto start = steady_clock::now();
    char buf[4];
    EXPECT_EQ(m_port.Read(buf, 4), 0);
    EXPECT_FALSE(m_port.WaitReadable(60000));
    EXPECT_EQ(m_port.WriteByte('a'), 0);
    EXPECT_TRUE(m_port.DeviceLost());
    m_port.Close();
    EXPECT_LT(MsSince(start), 10000) << "the wait was not waited out";
    EXPECT_TRUE(m_port.DeviceLost());

    // A fresh Open forgets the old loss.
    EXPECT_EQ(m_port.Open(1, 9600), 0);
    EXPECT_FALSE(m_port.DeviceLost());
    EXPECT_EQ(m_port.LostReason(), "");
}

TEST_F(SerialPortTest, FullRingHoldsBackInsteadOfOverwriting) {
    ASSERT_EQ(m_port.Open(1, 115200), 1) << m_port.OpenError();
    std::atomic<int> calls{0};
    std::atomic<std::uint32_t> command{0};
    ASSERT_EQ(m_port.StartReader(Counter(calls, command), 1013, 0), 1);

    std::string sent(10000, '\0');
    for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<char>(i * 7 % 251);
    std::atomic<bool> allSent{false};
    std::thread writer([&] { allSent = m_pty.WriteMaster(sent, 10000); });
    // The consumer sleeps while everything is sent; the ring fills long before.
    ASSERT_TRUE(WaitUntil([&] { return allSent.load(); }, 10000));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    writer.join();

    const std::string got = ReadPort(m_port, sent.size(), 10000);
    EXPECT_EQ(got.size(), sent.size());
    EXPECT_TRUE(got == sent) << "bytes lost or out of order";
    EXPECT_GE(calls.load(), 10) << "at most one ring's worth per notification";
}

TEST_F(SerialPortTest, CloseIsPromptWhileTheReaderWaitsForRoom) {
    ASSERT_EQ(m_port.Open(1, 115200), 1) << m_port.OpenError();
    std::atomic<int> calls{0};
    std::atomic<std::uint32_t> command{0};
    ASSERT_EQ(m_port.StartReader(Counter(calls, command), 1013, 0), 1);
    ASSERT_TRUE(m_pty.WriteMaster(std::string(3000, 'z')));
    ASSERT_TRUE(WaitUntil([&] { return calls.load() >= 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the ring fills up
    const auto start = steady_clock::now();
    m_port.Close();
    EXPECT_LT(MsSince(start), 5000);
    EXPECT_FALSE(m_port.ReaderStarted());
}

}  // namespace
}  // namespace zentrip
