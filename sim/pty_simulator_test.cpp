#include "sim/pty_simulator.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

#include "link/serial_port.h"

namespace zentrip::sim {
namespace {

using Ms = std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;

// The client side of the pty, as a serial port would open it.
class Slave {
public:
    explicit Slave(const std::string& path)
        : m_fd(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        termios tio{};
        if (m_fd >= 0 && tcgetattr(m_fd, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(m_fd, TCSANOW, &tio);
        }
    }
    ~Slave() {
        if (m_fd >= 0) close(m_fd);
    }
    bool IsOpen() const { return m_fd >= 0; }
    void Send(std::string_view bytes) {
        ASSERT_EQ(write(m_fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Reads until `want` bytes arrived or the generous limit passed.
    std::string Receive(std::size_t want, Ms limit = Ms(5000)) {
        std::string got;
        const auto end = SteadyClock::now() + limit;
        while (got.size() < want && SteadyClock::now() < end) {
            pollfd pfd{m_fd, POLLIN, 0};
            if (poll(&pfd, 1, 50) <= 0) continue;
            char buffer[256];
            const ssize_t n = read(m_fd, buffer, sizeof buffer);
            if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }

private:
    int m_fd;
};

std::unique_ptr<PtySimulator> StartSim(const SimOptions& options = {}) {
    std::string error;
    auto pty = PtySimulator::Start(options, &error);
    EXPECT_NE(pty, nullptr) << error;
    return pty;
}

TEST(PtySimulatorTest, ControllerAndModemAnswerOverThePty) {
    auto pty = StartSim();
    ASSERT_TRUE(pty);
    EXPECT_EQ(pty->DevicePath().rfind("/dev/pts/", 0), 0u);
    Slave slave(pty->DevicePath());
    ASSERT_TRUE(slave.IsOpen());
    slave.Send("1234 25\r");
    const std::string expected = "1234 25\r\nOK\r\n";
    EXPECT_EQ(slave.Receive(expected.size()), expected);
    slave.Send("ATS11=150\rATDT 1*2;\r");
    EXPECT_EQ(slave.Receive(8), "OK\r\nOK\r\n");

    const auto dials = pty->Dials();
    ASSERT_EQ(dials.size(), 1u);
    EXPECT_EQ(dials[0].tones, "1*2");
    std::string received;
    for (const auto& entry : pty->GetTranscript()) {
        if (entry.direction == Direction::Received) received += entry.bytes;
    }
    EXPECT_EQ(received, "1234 25\rATS11=150\rATDT 1*2;\r");
}

TEST(PtySimulatorTest, LateAnswerComesAfterItsDelay) {
    SimOptions options;
    options.controller.replyDelayMs = 300;
    auto pty = StartSim(options);
    ASSERT_TRUE(pty);
    Slave slave(pty->DevicePath());
    const auto start = SteadyClock::now();
    slave.Send("7\r");
    EXPECT_EQ(slave.Receive(3), "7\r\n");
    EXPECT_EQ(slave.Receive(4), "OK\r\n");
    // Only a lower bound: a loaded machine may be late, never early.
    EXPECT_GE(SteadyClock::now() - start, Ms(290));
}

TEST(PtySimulatorTest, ServesAgainAfterTheClientClosedAndReopened) {
    auto pty = StartSim();
    ASSERT_TRUE(pty);
    {
        Slave first(pty->DevicePath());
        first.Send("1\r");
        EXPECT_EQ(first.Receive(7), "1\r\nOK\r\n");
    }
    // With no client the master reports a hang-up; the thread must neither spin nor quit.
    std::this_thread::sleep_for(Ms(100));
    Slave second(pty->DevicePath());
    ASSERT_TRUE(second.IsOpen());
    second.Send("2\r");
    EXPECT_EQ(second.Receive(7), "2\r\nOK\r\n");
    pty->Stop();
    pty->Stop();
}

// A closed port keeps nothing for the next one, as on a real line: the answers to what a client
// wrote just before closing (the modem's OKs to InitModem) must not greet the next client.
TEST(PtySimulatorTest, AnswersLeftUnreadAreGoneAfterTheClientCloses) {
    auto pty = StartSim();
    ASSERT_TRUE(pty);
    {
        Slave first(pty->DevicePath());
        first.Send("AT\rAT\r1\r");
        const auto end = SteadyClock::now() + Ms(5000);
        while (pty->GetTranscript().size() < 4 && SteadyClock::now() < end) {
            std::this_thread::sleep_for(Ms(5));
        }
    }
    const auto end = SteadyClock::now() + Ms(5000);
    while (pty->Disconnects() < 1 && SteadyClock::now() < end) std::this_thread::sleep_for(Ms(5));
    ASSERT_EQ(pty->Disconnects(), 1);
    Slave second(pty->DevicePath());
    second.Send("2\r");
    EXPECT_EQ(second.Receive(7), "2\r\nOK\r\n");
}

// The device layer Zentrip itself uses, opening the simulator twice in a row as a run does.
TEST(PtySimulatorTest, SerialPortTalksToItAcrossReopens) {
    auto pty = StartSim();
    ASSERT_TRUE(pty);
    CSerialPort port;
    port.SetDevicePathFn([&](int) { return pty->DevicePath(); });
    for (const char* line : {"AT\r", "12 34\r"}) {
        ASSERT_EQ(port.Open(1, 9600), 1) << port.OpenError();
        port.Write(line, 0);
        const std::string expected = line[0] == 'A' ? "OK\r\n" : "12 34\r\nOK\r\n";
        std::string got;
        const auto end = SteadyClock::now() + Ms(5000);
        while (got.size() < expected.size() && SteadyClock::now() < end) {
            char buffer[64];
            if (port.WaitReadable(50))
                got.append(buffer, static_cast<std::size_t>(port.Read(buffer, sizeof buffer)));
        }
        EXPECT_EQ(got, expected);
        port.Close();
    }
}

}  // namespace
}  // namespace zentrip::sim
