// zentrip-cli terminal on a console that is a pseudo-terminal, against a line that is another:
// bytes each way by the terminal's rules, Ctrl-] and signals ending it with the console's modes
// restored, and a device that vanishes and a different one that takes its path.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <regex>
#include <thread>

#include "platform/pseudo_terminal.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"

namespace zentrip::testing {
namespace {

class TerminalCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_console.Ok() && m_line.Ok());
        // A console as a shell leaves it: canonical input with echo and signals, output with
        // its line ends translated.
        termios modes{};
        ASSERT_EQ(tcgetattr(m_console.SlaveFd(), &modes), 0);
        modes.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
        modes.c_iflag |= ICRNL;
        modes.c_oflag |= OPOST | ONLCR;
        modes.c_cc[VERASE] = 0x7F;
        modes.c_cc[VINTR] = 0x03;
        modes.c_cc[VMIN] = 1;
        ASSERT_EQ(tcsetattr(m_console.SlaveFd(), TCSANOW, &modes), 0);
        m_before = Modes();
    }
    void TearDown() override {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            Reap(2000);
        }
    }

    termios Modes() const {
        termios modes{};
        tcgetattr(m_console.SlaveFd(), &modes);
        return modes;
    }
    void ExpectModesRestored() const {
        const termios after = Modes();
        EXPECT_EQ(after.c_lflag, m_before.c_lflag);
        EXPECT_EQ(after.c_iflag, m_before.c_iflag);
        EXPECT_EQ(after.c_oflag, m_before.c_oflag);
        EXPECT_EQ(after.c_cc[VMIN], m_before.c_cc[VMIN]);
    }

    void Start(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {ZENTRIP_CLI, "terminal"};
        argv.insert(argv.end(), args.begin(), args.end());
        ChildSetup setup;
        setup.in = setup.out = setup.err = m_console.SlaveFd();
        setup.extraEnv = {"XDG_CONFIG_HOME=" + m_dir.Path(), "LC_ALL=C.UTF-8"};
        m_pid = SpawnChild(argv, setup);
        ASSERT_GT(m_pid, 0);
        ASSERT_TRUE(SeeOnConsole("Press Ctrl-] to end.")) << m_shown;
    }
    // The exit status once the child ended within timeoutMs, else -1.
    int Reap(int timeoutMs) {
        int code = -1;
        if (!WaitChild(m_pid, timeoutMs, &code)) return -1;
        m_pid = -1;
        return code;
    }
    // Collects console output until it holds `text`, after what an earlier call found.
    bool SeeOnConsole(const std::string& text, int timeoutMs = 5000) {
        return WaitUntil(
            [&] {
                m_shown += m_console.ReadMaster(4096, 20);
                const std::size_t at = m_shown.find(text, m_seen);
                if (at == std::string::npos) return false;
                m_seen = at + text.size();
                return true;
            },
            timeoutMs);
    }

    TempDir m_dir;
    PseudoTerminal m_console;
    PseudoTerminal m_line;
    termios m_before{};
    pid_t m_pid = -1;
    std::string m_shown;
    std::size_t m_seen = 0;
};

TEST_F(TerminalCliTest, BytesEachWayThenCtrlBracketEndsIt) {
    const std::string log = m_dir.Write("line.log", "earlier\n");
    Start({"--device", m_line.SlavePath(), "--rate", "115200", "--log", log});
    EXPECT_NE(m_shown.find("Mini Terminal open to COM1 at 115200 bps. (" + m_line.SlavePath() +
                           ") Logging to " + log + ". Press Ctrl-] to end.\r\n"),
              std::string::npos)
        << m_shown;
    const termios raw = Modes();
    EXPECT_FALSE(raw.c_lflag & (ICANON | ECHO | ISIG)) << "raw keyboard while it runs";

    const std::string received = "one\rtwo\r\n\x07x\b\xe9";
    ASSERT_TRUE(m_line.WriteMaster(received));
    EXPECT_TRUE(SeeOnConsole("one\r\ntwo\r\n^G\xc3\xa9")) << m_shown;
    ASSERT_TRUE(m_console.WriteMaster("ab\x03\x1b\r\x7f\xc3\xa9"));
    EXPECT_EQ(m_line.ReadMaster(7), "ab\x03\x1b\r\b\xe9");
    EXPECT_EQ(m_shown.find("ab"), std::string::npos) << "no echo unless asked for";

    ASSERT_TRUE(m_console.WriteMaster("\x1d"));
    EXPECT_EQ(Reap(5000), 0);
    EXPECT_TRUE(SeeOnConsole("Mini Terminal ended.")) << m_shown;
    ExpectModesRestored();
    EXPECT_EQ(TempDir::Read(log), "earlier\n" + received) << "the bytes as they came, appended";
}

// A log file that takes no more (here: the file size limit) is said once and stops; the
// terminal goes on.
TEST_F(TerminalCliTest, ALogThatTakesNoMoreStopsAndSaysWhy) {
    const std::string log = m_dir.Write("line.log", "earlier\n");
    // Past the limit a write then fails with EFBIG instead of ending the program; the child
    // inherits the ignored signal.
    const auto previous = signal(SIGXFSZ, SIG_IGN);
    Start({"--device", m_line.SlavePath(), "--log", log});
    signal(SIGXFSZ, previous);
    const rlimit limit{12, 12};
    ASSERT_EQ(prlimit(m_pid, RLIMIT_FSIZE, &limit, nullptr), 0);

    ASSERT_TRUE(m_line.WriteMaster("abcdefgh\r"));
    EXPECT_TRUE(SeeOnConsole("Logging to " + log + " stopped (File too large).\r\n")) << m_shown;
    ASSERT_TRUE(m_line.WriteMaster("more\r"));
    EXPECT_TRUE(SeeOnConsole("more\r\n")) << m_shown;
    ASSERT_TRUE(m_console.WriteMaster("\x1d"));
    EXPECT_EQ(Reap(5000), 0);
    EXPECT_EQ(TempDir::Read(log), "earlier\nabcd");
    EXPECT_EQ(m_shown.find("stopped", m_shown.find("stopped") + 1), std::string::npos) << m_shown;
}

// Whether `text` holds a line that starts with a time ("HH:MM:SS.mmm ") and then matches
// `rest`.
bool TimedLine(const std::string& text, const std::string& rest) {
    static const std::string kTime = "[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\\.[0-9]{3} ";
    return std::regex_search(text, std::regex("(^|\n)" + kTime + rest));
}

TEST_F(TerminalCliTest, TimeAndHexViewsAndTheLogWithTimes) {
    const std::string log = m_dir.Path("line.log");
    Start({"--device", m_line.SlavePath(), "--time", "--log", log, "--log-times"});
    ASSERT_TRUE(m_line.WriteMaster("one\r\ntw"));
    ASSERT_TRUE(m_line.WriteMaster("o\r"));
    EXPECT_TRUE(SeeOnConsole("two\r\n")) << m_shown;
    EXPECT_TRUE(TimedLine(m_shown, "one\r\n")) << m_shown;
    EXPECT_TRUE(TimedLine(m_shown, "two\r\n")) << m_shown;
    ASSERT_TRUE(m_console.WriteMaster("\x1d"));
    EXPECT_EQ(Reap(5000), 0);
    const std::string logged = TempDir::Read(log);
    EXPECT_TRUE(TimedLine(logged, "one\r\n") && TimedLine(logged, "two\r$")) << logged;
    EXPECT_EQ(logged.size(), 2 * 13 + 9u) << logged;

    Start({"--device", m_line.SlavePath(), "--hex", "--time"});
    ASSERT_TRUE(m_line.WriteMaster("OK\r\n"));
    EXPECT_TRUE(SeeOnConsole("OK..\r\n")) << m_shown;  // ended by the pause
    EXPECT_TRUE(TimedLine(m_shown, "4F 4B 0D 0A {38}OK\\.\\.\r\n")) << m_shown;
    ASSERT_TRUE(m_console.WriteMaster("\x1d"));
    EXPECT_EQ(Reap(5000), 0);
}

TEST_F(TerminalCliTest, PortThatFailsToOpenLeavesNoLogBehind) {
    const std::string log = m_dir.Path("line.log");
    const ChildResult result =
        RunChild({ZENTRIP_CLI, "terminal", "--device", m_dir.Path("missing"), "--log", log},
                 {"XDG_CONFIG_HOME=" + m_dir.Path()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(log));
}

TEST_F(TerminalCliTest, SignalsEndItWithTheModesRestored) {
    for (const int signal : {SIGTERM, SIGHUP}) {
        Start({"--device", m_line.SlavePath()});
        kill(m_pid, signal);
        EXPECT_EQ(Reap(5000), 128 + signal);
        ExpectModesRestored();
    }
}

// A device that vanishes is waited for; another device that then appears at its path (here a
// simulator's link, left by one that was killed and taken by another pseudo-terminal) is named
// and left alone: nothing of it is shown, nothing typed goes to it.
TEST_F(TerminalCliTest, VanishedDeviceIsReportedAndADifferentOneAtItsPathLeftAlone) {
    const std::string link = m_dir.Path("ttyUSB0");
    auto first = std::make_unique<PseudoTerminal>();
    ASSERT_EQ(symlink(first->SlavePath().c_str(), link.c_str()), 0);
    Start({"--device", link, "--echo"});

    first->CloseMaster();
    EXPECT_TRUE(SeeOnConsole("Mini Terminal: serial device " + link +
                             " lost (Input/output error). Waiting for it to come back"))
        << m_shown;

    PseudoTerminal second;
    ASSERT_EQ(unlink(link.c_str()), 0);
    ASSERT_EQ(symlink(second.SlavePath().c_str(), link.c_str()), 0);
    EXPECT_TRUE(SeeOnConsole("Mini Terminal: serial device " + link +
                             " lost (Input/output error); a different device appeared at that "
                             "path and is left alone. Still waiting for the lost one"))
        << m_shown;
    ASSERT_TRUE(second.WriteMaster("other\r"));
    ASSERT_TRUE(m_console.WriteMaster("y"));
    EXPECT_EQ(second.ReadMaster(1, 500), "") << "no key goes to it";
    EXPECT_FALSE(SeeOnConsole("other", 500)) << m_shown;
    ASSERT_TRUE(m_console.WriteMaster("\x1d"));
    EXPECT_EQ(Reap(5000), 0);
}

}  // namespace
}  // namespace zentrip::testing
