// zentrip-sim as a separate program: a pty behind a symlink that answers like a controller.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "sim/transcript.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using zentrip::testing::BackgroundChild;
using zentrip::testing::RunChild;
using zentrip::testing::TempDir;

class SimProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_temp.Ok());
        m_link = m_dir + "/orvane";
    }

    // Writes text through the link and reads until want bytes came back (or 5 s passed).
    static std::string Exchange(const std::string& path, const std::string& text,
                                std::size_t want) {
        const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) return "open failed";
        termios tio{};
        tcgetattr(fd, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
        std::string got;
        if (write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size())) {
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (got.size() < want && std::chrono::steady_clock::now() < end) {
                pollfd pfd{fd, POLLIN, 0};
                if (poll(&pfd, 1, 50) <= 0) continue;
                char buffer[256];
                const ssize_t n = read(fd, buffer, sizeof buffer);
                if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
            }
        }
        close(fd);
        return got;
    }

    const TempDir m_temp{"zentrip-sim-"};
    const std::string m_dir = m_temp.Path();
    std::string m_link;
};

TEST_F(SimProgramTest, AnswersThroughItsLinkAndRemovesItOnSigterm) {
    const std::string transcript = m_dir + "/transcript";
    BackgroundChild sim(
        {ZENTRIP_SIM, "--link", m_link, "--transcript", transcript, "--complain-on", "^9"});
    ASSERT_TRUE(sim.Started());
    const std::string device = sim.ReadLine(10000);
    ASSERT_EQ(device.rfind("/dev/pts/", 0), 0u) << device;
    ASSERT_EQ(fs::read_symlink(m_link), device);

    EXPECT_EQ(Exchange(m_link, "HELLO\r", 11), "HELLO\r\nOK\r\n");
    EXPECT_EQ(Exchange(m_link, "9 9\rATS8=1\r", 19), "9 9\r\nERROR 12\r\nOK\r\n");

    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(10000), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(m_link)));

    // The transcript has every byte received, in order, with times that never go back.
    std::ifstream file(transcript);
    std::string line;
    std::string received;
    std::string sent;
    std::uint64_t last = 0;
    while (std::getline(file, line)) {
        const auto entry = zentrip::sim::ParseTranscriptLine(line);
        ASSERT_TRUE(entry) << line;
        EXPECT_GE(entry->ms, last);
        last = entry->ms;
        (entry->direction == zentrip::sim::Direction::Received ? received : sent) += entry->bytes;
    }
    EXPECT_EQ(received, "HELLO\r9 9\rATS8=1\r");
    EXPECT_EQ(sent, "HELLO\r\nOK\r\n9 9\r\nERROR 12\r\nOK\r\n");
}

TEST_F(SimProgramTest, AnswersALineTypedWithSocat) {
    if (RunChild({"/bin/sh", "-c", "command -v socat"}).exitCode != 0)
        GTEST_SKIP() << "socat not installed";
    BackgroundChild sim({ZENTRIP_SIM, "--link", m_link});
    ASSERT_TRUE(sim.Started());
    ASSERT_NE(sim.ReadLine(10000), "");
    // A typed line ends with LF; socat keeps the answer coming for up to 2 s after its input ends.
    const auto result =
        RunChild({"/bin/sh", "-c", "printf 'STATUS\\n' | socat -t 2 - " + m_link + ",raw,echo=0"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "STATUS\r\nOK\r\n");
    sim.Signal(SIGINT);
    EXPECT_EQ(sim.Wait(10000), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(m_link)));
}

TEST_F(SimProgramTest, RefusesBadOptionsAndForeignLinkTargets) {
    auto result = RunChild({ZENTRIP_SIM, "--mode", "fax"});
    EXPECT_EQ(result.exitCode, 64);
    EXPECT_NE(result.err.find("--mode must be auto, controller or modem"), std::string::npos)
        << result.err;

    result = RunChild({ZENTRIP_SIM, "--complain-on", "(["});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("bad pattern"), std::string::npos) << result.err;

    // A regular file in the link's place is never replaced.
    std::ofstream(m_link) << "keep";
    result = RunChild({ZENTRIP_SIM, "--link", m_link});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("not a symbolic link"), std::string::npos) << result.err;
    EXPECT_TRUE(fs::is_regular_file(m_link));

    result = RunChild({ZENTRIP_SIM, "--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("--transcript FILE"), std::string::npos);
}

}  // namespace
