// zentrip-cli program end to end: the real program against zentrip-sim on a pseudo-terminal,
// checking the bytes on stdout, the texts on stderr and the exit status of every way out.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/pseudo_terminal.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using zentrip::testing::TempDir;

// A child process with its stdin, stdout and stderr on pipes, read without blocking the test.
class Child {
public:
    // With a terminal (the slave side of a pty), stdin and stderr are that terminal and
    // Err() is what the terminal shows; stdout stays a pipe.
    Child(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv,
          const std::string& input, const char* terminal = nullptr) {
        int in[2], out[2], err[2];
        if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC)) return;
        const int tty = terminal ? open(terminal, O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
        zentrip::testing::ChildSetup setup;
        setup.extraEnv = extraEnv;
        setup.in = terminal ? tty : in[0];
        setup.out = out[1];
        setup.err = terminal ? tty : err[1];
        setup.ownGroup = true;
        m_pid = zentrip::testing::SpawnChild(args, setup);
        if (tty >= 0) close(tty);
        close(in[0]);
        close(out[1]);
        close(err[1]);
        if (!input.empty()) {
            ssize_t ignored = write(in[1], input.data(), input.size());
            (void)ignored;
        }
        close(in[1]);
        m_out = out[0];
        m_err = err[0];
    }
    // Reads the terminal's side instead of the stderr pipe.
    void ReadTerminal(int master) {
        close(m_err);
        m_err = dup(master);
    }
    // Stops reading stdout, as a program it is piped into that has ended.
    void CloseOut() {
        close(m_out);
        m_out = -1;
    }
    ~Child() {
        if (m_pid > 0 && !m_exited) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0) close(m_out);
        if (m_err >= 0) close(m_err);
    }

    bool Started() const { return m_pid > 0; }
    pid_t Pid() const { return m_pid; }
    const std::string& Out() const { return m_outText; }
    const std::string& Err() const { return m_errText; }

    // Reads until done() holds or the time is up; false on time-out.
    bool ReadUntil(const std::function<bool()>& done, milliseconds limit) {
        const auto end = Clock::now() + limit;
        while (!done()) {
            const auto left = std::chrono::duration_cast<milliseconds>(end - Clock::now());
            if (left.count() <= 0) return false;
            if (!Pump(static_cast<int>(left.count()))) return done();
        }
        return true;
    }

    // Waits for the exit (reading all output); the exit status, -1 on time-out or a signal.
    int Wait(milliseconds limit) {
        ReadUntil([] { return false; }, limit);
        int code = -1;
        if (m_pid <= 0 ||
            !zentrip::testing::WaitChild(m_pid, static_cast<int>(limit.count()), &code))
            return -1;
        m_exited = true;
        return code;
    }

private:
    // One poll on both pipes; false once both have ended.
    bool Pump(int timeoutMs) {
        pollfd fds[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
        if (m_out < 0 && m_err < 0) return false;
        if (poll(fds, 2, timeoutMs) <= 0) return true;
        Drain(fds[0], m_out, m_outText);
        Drain(fds[1], m_err, m_errText);
        return m_out >= 0 || m_err >= 0;
    }
    static void Drain(const pollfd& p, int& fd, std::string& text) {
        if (fd < 0 || !(p.revents & (POLLIN | POLLHUP))) return;
        char buffer[4096];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
            return;
        }
        close(fd);
        fd = -1;
    }

    pid_t m_pid = -1;
    bool m_exited = false;
    int m_out = -1;
    int m_err = -1;
    std::string m_outText;
    std::string m_errText;
};

}  // namespace

namespace {

constexpr milliseconds kRunLimit{30000};

// A pseudo-terminal for the CLI's stdin and stderr.
class Terminal {
public:
    Terminal() : m_master(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0) {
            m_path = ptsname(m_master);
        }
    }
    ~Terminal() {
        if (m_master >= 0) close(m_master);
    }
    int Master() const { return m_master; }
    const char* Path() const { return m_path.c_str(); }
    bool Ok() const { return !m_path.empty(); }

private:
    int m_master;
    std::string m_path;
};

// Each test gets its own settings store and its own simulated controller.
class ProgramCliTest : public ::testing::Test {
protected:
    void TearDown() override { m_sim.reset(); }

    std::vector<std::string> Env() const {
        return {"XDG_CONFIG_HOME=" + m_dir.Path("config"), "XDG_STATE_HOME=" + m_dir.Path("state")};
    }
    std::string Runs() const { return m_dir.Path("state") + "/zentrip/runs"; }
    std::vector<std::string> Records() const {
        std::vector<std::string> names;
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(Runs(), ignored))
            names.push_back(entry.path().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Starts zentrip-sim with a link in the test's folder; the link's path.
    std::string StartSim(const std::vector<std::string>& options = {}) {
        std::vector<std::string> args{ZENTRIP_SIM, "--link", m_dir.Path("controller")};
        args.insert(args.end(), options.begin(), options.end());
        m_sim = std::make_unique<Child>(args, Env(), "");
        EXPECT_TRUE(m_sim->Started());
        EXPECT_TRUE(m_sim->ReadUntil([&] { return m_sim->Out().find('\n') != std::string::npos; },
                                     milliseconds(10000)))
            << m_sim->Err();
        return m_dir.Path("controller");
    }

    std::unique_ptr<Child> StartCli(std::vector<std::string> args, const std::string& input = "") {
        args.insert(args.begin(), {ZENTRIP_CLI, "program"});
        return std::make_unique<Child>(args, Env(), input);
    }

    // A direct run of m_file with stdin and stderr on the terminal, which Err() then shows.
    void StartDirectOnTerminal(const Terminal& terminal, const std::string& device) {
        m_cli = std::make_unique<Child>(
            std::vector<std::string>{ZENTRIP_CLI, "program", "--direct", "--no-init", "--device",
                                     device, m_file},
            Env(), "", terminal.Path());
        m_cli->ReadTerminal(terminal.Master());
    }

    // A whole run; the exit status.
    int RunCli(const std::vector<std::string>& args, const std::string& input = "") {
        m_cli = StartCli(args, input);
        return m_cli->Wait(kRunLimit);
    }

    // A direct run of a program file into the simulator, without the modem set-up.
    int RunDirect(const std::string& program, const std::vector<std::string>& simOptions,
                  std::vector<std::string> cliOptions, const std::string& input = "") {
        const std::string device = StartSim(simOptions);
        m_file = m_dir.Write("prog.orv", program);
        cliOptions.insert(cliOptions.end(), {"--direct", "--no-init", "--device", device, m_file});
        return RunCli(cliOptions, input);
    }

    std::string Begin() const {
        return "Preparing controller for direct session.\r\nBeginning programming from " + m_file +
               "\r\n\r\n";
    }
    const std::string& Out() const { return m_cli->Out(); }
    const std::string& Err() const { return m_cli->Err(); }

    TempDir m_dir{"zentrip-cli-"};
    std::unique_ptr<Child> m_sim;
    std::unique_ptr<Child> m_cli;
    std::string m_file;
};

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST_F(ProgramCliTest, AcceptedLinesCompleteWithStatusZero) {
    ASSERT_EQ(RunDirect("12 34\n; a comment\n\n5a6 ; tail\n", {}, {}), 0) << Err();
    EXPECT_EQ(Out(), Begin() +
                         "[    1] 12 34\r\n"
                         "[    2] ; a comment\r\n"
                         "[    3] \r\n"
                         "[    4] 5a6 ; tail\r\n"
                         "\r\n\r\nProgramming complete with 00000 total errors");
    EXPECT_EQ(Err().find("continue programming"), std::string::npos);
}

TEST_F(ProgramCliTest, ComplaintsCountedAskedOnceAndContinued) {
    ASSERT_EQ(RunDirect("11\n22\n33\n44\n", {"--complain-on", "22|44"}, {"--on-error", "continue"}),
              1)
        << Err();
    EXPECT_EQ(Out(), Begin() +
                         "[    1] 11\r\n"
                         "[    2] 22\r\n"
                         "Error in Line 2 (Controller Reported ERROR 12) \r\n"
                         "[    3] 33\r\n"
                         "[    4] 44\r\n"
                         "Error in Line 4 (Controller Reported ERROR 12) \r\n"
                         "\r\n\r\nProgramming complete with 00002 total errors");
    // Only the first complaint asks; the question goes to stderr with its answer.
    EXPECT_EQ(Count(Err(), "Do you want to continue programming?"), 1u) << Err();
    EXPECT_NE(Err().find("LINE FROM FILE:\n\n22\n"), std::string::npos) << Err();
}

TEST_F(ProgramCliTest, StopPolicyAndPipedStdinHaltAtTheFirstQuestion) {
    const std::string halted =
        "[    2] 22\r\n"
        "Error in Line 2 (Controller Reported ERROR 12) \r\n"
        "\r\n** Programming halted by error condition. **";
    ASSERT_EQ(RunDirect("11\n22\n33\n", {"--complain-on", "22"}, {"--on-error", "stop"}), 2)
        << Err();
    EXPECT_EQ(Out(), Begin() + "[    1] 11\r\n" + halted);

    // Without --on-error, stdin that is no terminal means stop: nobody could answer.
    m_sim.reset();
    ASSERT_EQ(RunDirect("11\n22\n33\n", {"--complain-on", "22"}, {}), 2) << Err();
    EXPECT_EQ(Out(), Begin() + "[    1] 11\r\n" + halted);
}

TEST_F(ProgramCliTest, AskReadsTheAnswersFromStdin) {
    // A silent controller is asked about every time: Yes first, then No.
    ASSERT_EQ(
        RunDirect("11\n22\n33\n44\n", {"--silent-on", "22|33"}, {"--on-error", "ask"}, "y\nno\n"),
        2)
        << Err();
    EXPECT_EQ(Count(Err(), "Do you want to continue programming?"), 2u) << Err();
    EXPECT_EQ(Out(), Begin() +
                         "[    1] 11\r\n"
                         "[    2] 22\r\n"
                         "Error in Line 2 (Error: Controller failed to respond.) \r\n"
                         "[    3] 33\r\n"
                         "Error in Line 3 (Error: Controller failed to respond.) \r\n"
                         "\r\n** Programming halted by error condition. **");
}

TEST_F(ProgramCliTest, FatalProgramFileErrorHalts) {
    ASSERT_EQ(RunDirect("11\n#wait\n22\n", {}, {"--on-error", "continue"}), 2) << Err();
    EXPECT_EQ(Out().rfind(Begin() + "[    1] 11\r\n[    2] #wait", 0), 0u) << Out();
    const std::string end =
        "\r\nFatal Error in Line 2 (Missing time parameter on WAIT command);\r\n"
        "Programming halted.";
    EXPECT_EQ(Out().substr(Out().size() - std::min(Out().size(), end.size())), end) << Out();
}

TEST_F(ProgramCliTest, FailedLinesInAnIncludeFileAreNamedOnStderr) {
    const std::string site = m_dir.Write("site.inc", "22\n#wait\n");
    ASSERT_EQ(RunDirect("11\n#include " + site + "\n33\n", {"--complain-on", "22"},
                        {"--on-error", "continue"}),
              2)
        << Err();
    EXPECT_NE(Out().find("Error in Line 3 (Controller Reported ERROR 12)"), std::string::npos);
    EXPECT_NE(Out().find("Fatal Error in Line 4 (Missing time parameter"), std::string::npos);
    const std::size_t refused = Err().find(site + ":1: controller refused this line\n");
    const std::size_t fatal = Err().find(site + ":2: Missing time parameter on WAIT command\n");
    EXPECT_NE(refused, std::string::npos) << Err();
    EXPECT_NE(fatal, std::string::npos) << Err();
    EXPECT_LT(refused, fatal);
}

TEST_F(ProgramCliTest, OnATerminalTheQuestionIsAskedAndAStatusLineShown) {
    Terminal terminal;
    ASSERT_TRUE(terminal.Ok());
    const std::string device = StartSim({"--complain-on", "22"});
    std::string program;
    for (int i = 0; i < 12; ++i) program += i == 3 ? "22\n" : "11\n";
    m_file = m_dir.Write("prog.orv", program);
    StartDirectOnTerminal(terminal, device);
    // No --on-error: stdin is a terminal, so the user is asked.
    ASSERT_TRUE(
        m_cli->ReadUntil([&] { return Err().find("[y/N]") != std::string::npos; }, kRunLimit))
        << Err();
    ASSERT_EQ(write(terminal.Master(), "y\n", 2), 2);
    ASSERT_EQ(m_cli->Wait(kRunLimit), 1) << Err();
    EXPECT_NE(Err().find("Line 0000"), std::string::npos) << Err();
    EXPECT_NE(Err().find("Errors 00001  Elapsed 00:00:0"), std::string::npos) << Err();
    // The status line stays on the terminal: the results on stdout are untouched by it.
    EXPECT_EQ(Out().rfind(Begin() + "[    1] 11\r\n", 0), 0u) << Out();
    EXPECT_NE(Out().find("[    4] 22\r\nError in Line 4 (Controller Reported ERROR 12) \r\n"
                         "[    5] 11\r\n"),
              std::string::npos)
        << Out();
    EXPECT_EQ(Out().find('\033'), std::string::npos);
}

TEST_F(ProgramCliTest, CtrlCAtTheQuestionAnswersNo) {
    Terminal terminal;
    ASSERT_TRUE(terminal.Ok());
    const std::string device = StartSim({"--complain-on", "22"});
    m_file = m_dir.Write("prog.orv", "11\n22\n33\n");
    StartDirectOnTerminal(terminal, device);
    ASSERT_TRUE(
        m_cli->ReadUntil([&] { return Err().find("[y/N]") != std::string::npos; }, kRunLimit))
        << Err();
    kill(m_cli->Pid(), SIGINT);
    ASSERT_EQ(m_cli->Wait(kRunLimit), 2) << Err();
    EXPECT_EQ(Out(), Begin() +
                         "[    1] 11\r\n"
                         "[    2] 22\r\n"
                         "Error in Line 2 (Controller Reported ERROR 12) \r\n"
                         "\r\n** Programming halted by error condition. **");
}

TEST_F(ProgramCliTest, NotStartedWhenFileOrPortCannotBeOpened) {
    const std::string device = StartSim();
    const std::string missing = m_dir.Path("missing.orv");
    ASSERT_EQ(RunCli({"--direct", "--no-init", "--device", device, missing}), 3) << Err();
    EXPECT_EQ(Out(), "Preparing controller for direct session.\r\nBeginning programming from " +
                         missing + "\r\n\r\nError: Couldn't open " + missing +
                             "\r\nNo such file or directory\r\n");

    const std::string file = m_dir.Write("prog.orv", "11\n");
    const std::string absent = m_dir.Path("no-such-device");
    ASSERT_EQ(RunCli({"--direct", "--no-init", "--device", absent, file}), 3);
    EXPECT_EQ(Out(), "");
    EXPECT_NE(Err().find("Failed to open serial port!"), std::string::npos) << Err();
    const std::string why =
        "zentrip-cli: cannot open serial port COM1 (" + absent + "): No such file or directory\n";
    EXPECT_EQ(Count(Err(), why), 1u) << Err();

    // The modem set-up says it could not start, naming the port; the reason, the same for the
    // set-up and the run, is said once.
    ASSERT_EQ(RunCli({"--port", "2", "--device", absent, file}), 3);
    EXPECT_NE(Err().find("Failed to open serial port COM2. Can't\nprogram controller under this "
                         "condition!\n"),
              std::string::npos)
        << Err();
    EXPECT_EQ(Count(Err(), "zentrip-cli: cannot open serial port COM2 (" + absent +
                               "): No such file or directory\n"),
              1u)
        << Err();
}

// A stored port or rate outside the offered choices stays in use, and the user is told.
TEST_F(ProgramCliTest, StoredPortAndRateOutsideTheChoicesAreUsedAsStored) {
    fs::create_directories(m_dir.Path("config/TALVEN_ORVANE7K_PGMR"));
    m_dir.Write("config/TALVEN_ORVANE7K_PGMR/Settings.ini",
                "[Settings]\nComPort=9\nDataRate=1234\n");
    const std::string device = StartSim();
    ASSERT_EQ(RunDirect("11\n", {}, {}), 0) << Err();
    EXPECT_EQ(Err().rfind("zentrip-cli: using COM9 (" + device +
                              ") at 1234 bit/s as stored: COM9 is not one of COM1 to COM4; 1234 "
                              "bit/s is not one of the ten rates, so it is set as a custom rate\n",
                          0),
              0u)
        << Err();

    // Without --device, COM9 leads to the ninth serial device.
    const std::string file = m_dir.Write("prog.orv", "11\n");
    ASSERT_EQ(RunCli({"--direct", "--no-init", file}), 3);
    EXPECT_NE(Err().find("zentrip-cli: cannot open serial port COM9 (/dev/ttyS8): "),
              std::string::npos)
        << Err();
}

TEST_F(ProgramCliTest, CommandLineMistakesExitWith64) {
    EXPECT_EQ(RunCli({}), 64);
    EXPECT_EQ(RunCli({"--rate", "1234", "x.orv"}), 64);
    EXPECT_NE(Err().find("--rate"), std::string::npos);
    EXPECT_EQ(RunCli({"--port", "5", "x.orv"}), 64);
    EXPECT_EQ(RunCli({"--on-error", "maybe", "x.orv"}), 64);
    EXPECT_EQ(RunCli({"--bogus", "x.orv"}), 64);
    EXPECT_EQ(RunCli({"a.orv", "b.orv"}), 64);
    ASSERT_EQ(RunCli({"--help"}), 0);
    for (const char* option : {"--port", "--device", "--rate", "--direct", "--no-init",
                               "--on-error", "--simulate", "exit status"}) {
        EXPECT_NE(Out().find(option), std::string::npos) << option;
    }
}

// The status line's number moves on just before a line is read: once it shows line 2, the
// run is about to wait or waiting, and a stop ends it after that line.
bool ShowsLine(const Child& cli, const char* number) {
    return cli.Err().find(std::string("Line ") + number) != std::string::npos;
}

TEST_F(ProgramCliTest, StopRequestedByCtrlCEndsAfterTheCurrentLine) {
    Terminal terminal;
    ASSERT_TRUE(terminal.Ok());
    const std::string device = StartSim();
    m_file = m_dir.Write("prog.orv", "11\n#wait 600\n22\n33\n");
    StartDirectOnTerminal(terminal, device);
    ASSERT_TRUE(m_cli->ReadUntil([&] { return ShowsLine(*m_cli, "00002"); }, kRunLimit)) << Err();
    kill(m_cli->Pid(), SIGINT);
    ASSERT_EQ(m_cli->Wait(kRunLimit), 2) << Err();
    EXPECT_EQ(Out(), Begin() +
                         "[    1] 11\r\n"
                         "[    2] #wait 600\r\n"
                         "\r\n\r\n** Programming halted by user. **\r\n");
}

// Closing the terminal or stopping a service ends a tone run as the Stop button does, without
// waiting out the wait: the halt is shown and the modem hung up. A closed terminal may also
// have ended the program that stdout is piped into; the run still ends as it should.
TEST_F(ProgramCliTest, SigtermAndSighupCutAWaitShortAndHangUp) {
    for (const auto& [signal, name] :
         {std::pair{SIGTERM, "SIGTERM"}, std::pair{SIGHUP, "SIGHUP"}}) {
        SCOPED_TRACE(name);
        zentrip::PseudoTerminal line;
        Terminal terminal;
        ASSERT_TRUE(line.Ok() && terminal.Ok());
        // Far longer than the run's limit: ending within it means the wait was cut short.
        m_file = m_dir.Write("tones.orv", "#wait 600\n12\n");
        m_cli = std::make_unique<Child>(
            std::vector<std::string>{ZENTRIP_CLI, "program", "--no-init", "--device",
                                     line.SlavePath(), m_file},
            Env(), "", terminal.Path());
        m_cli->ReadTerminal(terminal.Master());
        ASSERT_EQ(line.ReadMaster(5, 10000), "ATH1\r");
        ASSERT_TRUE(m_cli->ReadUntil([&] { return ShowsLine(*m_cli, "00001"); }, kRunLimit))
            << Err();
        if (signal == SIGHUP) m_cli->CloseOut();
        kill(m_cli->Pid(), signal);
        ASSERT_EQ(m_cli->Wait(kRunLimit), 2) << Err();
        EXPECT_EQ(line.ReadMaster(8, 500), "AT\rATH0\r");
        EXPECT_NE(Err().find(std::string("** Stop requested (") + name + ")"), std::string::npos)
            << Err();
        if (signal == SIGHUP) continue;  // nobody reads stdout any more
        EXPECT_EQ(Out(), "\r\nBeginning programming from " + m_file +
                             "\r\n\r\n"
                             "[    1] #wait 600\r\n"
                             "\r\n\r\n** Programming halted by user. **\r\n");
    }
}

TEST_F(ProgramCliTest, SecondCtrlCEndsAtOnce) {
    StartSim();
    m_file = m_dir.Write("prog.orv", "11\n#wait 30\n22\n");
    m_cli = StartCli({"--direct", "--no-init", "--device", m_dir.Path("controller"), m_file});
    ASSERT_TRUE(
        m_cli->ReadUntil([&] { return Out().find("[    1] 11") != std::string::npos; }, kRunLimit));
    kill(m_cli->Pid(), SIGINT);
    // Taken at the run's next pump; the end sequence's pauses of two seconds follow, and the
    // second signal lands in them.
    ASSERT_TRUE(m_cli->ReadUntil(
        [&] { return Err().find("** Stop requested (Ctrl-C)") != std::string::npos; }, kRunLimit))
        << Err();
    kill(m_cli->Pid(), SIGINT);
    ASSERT_EQ(m_cli->Wait(kRunLimit), 2) << Err();
    EXPECT_NE(Err().find("Interrupted again"), std::string::npos) << Err();
    // The device was let go: the next run opens it.
    const std::string file = m_dir.Write("short.orv", "11\n");
    EXPECT_EQ(RunCli({"--direct", "--no-init", "--device", m_dir.Path("controller"), file}), 0)
        << Err();
}

TEST_F(ProgramCliTest, DevicePulledMidRunHaltsAtOnce) {
    const std::string device = StartSim();
    std::string program;
    for (int i = 0; i < 400; ++i) program += "12 34 56\n";
    m_file = m_dir.Write("prog.orv", program);
    m_cli =
        StartCli({"--direct", "--no-init", "--on-error", "continue", "--device", device, m_file});
    ASSERT_TRUE(
        m_cli->ReadUntil([&] { return Out().find("[    3]") != std::string::npos; }, kRunLimit));
    kill(m_sim->Pid(), SIGKILL);
    const auto pulled = Clock::now();
    const int status = m_cli->Wait(kRunLimit);
    const auto took = Clock::now() - pulled;
    ASSERT_EQ(status, 2) << Err();
    // Going on, each of some 400 lines would wait more than a second for its echo.
    EXPECT_LT(took, milliseconds(10000));
    // One clear last line naming the device and the reason, no string of questions, no
    // completion message.
    const std::string head = "\r\n** Programming halted: serial device " + device + " lost (";
    const auto at = Out().rfind(head);
    ASSERT_NE(at, std::string::npos) << Out();
    const std::string tail = Out().substr(at + head.size());
    const auto reasonEnd = tail.find(')');
    ASSERT_NE(reasonEnd, std::string::npos) << tail;
    EXPECT_GT(reasonEnd, 0u) << tail;
    EXPECT_EQ(tail.substr(reasonEnd), "). **\r\n") << tail;
    EXPECT_EQ(Out().find("Programming complete"), std::string::npos) << Out();
    EXPECT_EQ(Count(Err(), "Do you want to continue programming?"), 0u) << Err();
}

// On a terminal the prompt after a run starts on a line of its own; the results pane's text
// may or may not end its last line.
TEST_F(ProgramCliTest, OnATerminalStdoutEndsWithALineEnd) {
    for (const auto& [program, end] :
         {std::pair{"#direct\n12\n", "total errors\n"}, std::pair{"12\n", "Complete ** \r\n"}}) {
        zentrip::PseudoTerminal console;  // raw: shows the bytes as written
        ASSERT_TRUE(console.Ok());
        zentrip::testing::ChildSetup setup;
        setup.extraEnv = Env();
        setup.out = console.SlaveFd();
        setup.err = open("/dev/null", O_WRONLY | O_CLOEXEC);
        const int code = zentrip::testing::RunChildWithin(
            {ZENTRIP_CLI, "program", "--simulate", "--no-init", m_dir.Write("p.orv", program)},
            setup, 10000);
        close(setup.err);
        EXPECT_EQ(code, 0);
        const std::string shown = console.ReadMaster(65536, 500);
        const std::string tail = std::string(end).size() < shown.size()
                                     ? shown.substr(shown.size() - std::string(end).size())
                                     : shown;
        EXPECT_EQ(tail, end) << shown;
    }
}

TEST_F(ProgramCliTest, SimulateRunsWithoutADeviceAndPrintsTheTranscript) {
    const std::string file = m_dir.Write("prog.orv", "#direct\n12 34\n#wait 600\n56\n");
    const auto start = Clock::now();
    ASSERT_EQ(RunCli({"--simulate", "--device", "/nonexistent", file}), 0) << Err();
    // Simulated time: the ten-minute wait costs nothing.
    EXPECT_LT(Clock::now() - start, milliseconds(10000));
    EXPECT_NE(Out().find("Programming complete with 00000 total errors"), std::string::npos);
    // The modem set-up went to the simulated modem, the lines to the simulated controller.
    EXPECT_NE(Err().find("rx AT\\r"), std::string::npos) << Err();
    EXPECT_NE(Err().find("rx 1234\\r"), std::string::npos) << Err();
    EXPECT_NE(Err().find("tx 1234\\r\\n"), std::string::npos) << Err();
    EXPECT_NE(Err().find("rx 56\\r"), std::string::npos) << Err();

    // A tone-mode file goes to the simulated modem as touch tones.
    const std::string tones = m_dir.Write("tones.orv", "12 34\n");
    ASSERT_EQ(RunCli({"--simulate", "--no-init", tones}), 0) << Err();
    EXPECT_NE(Out().find("** Programming Complete **"), std::string::npos) << Out();
    EXPECT_NE(Err().find("rx ATH1\\r"), std::string::npos) << Err();
    EXPECT_NE(Err().find("rx ATDT 12 34;\\r"), std::string::npos) << Err();

    // A remote session: dialled, time requested after the 15 s answer wait, closed at the end.
    const std::string remote =
        m_dir.Write("remote.orv", "11 22\n#session 1234 \"555-0100\" 5\n33 44 ; note\n");
    ASSERT_EQ(RunCli({"--simulate", "--no-init", remote}), 0) << Err();
    EXPECT_EQ(Out(), "\r\nBeginning programming from " + remote +
                         "\r\n\r\n"
                         "[    1] 11 22\r\n"
                         "[    2] #session 1234 \"555-0100\" 5\r\n"
                         "[    3] 33 44 ; note\r\n"
                         "\r\n ** Programming Complete ** \r\n"
                         "\r\nClosing session with remote controller.\r\n");
    for (const char* text : {"Dialing controller @ 555-0100\nWaiting for answer...\n",
                             "Requesting time - 5 minutes.\n", "\n0 rx ATH1\\r\n",
                             "\n1000 rx ATDT 555-0100;\\r\n", "\n16000 rx ATDT 123479050 *;\\r\n",
                             "rx ATDT 33 44 ;\\r\n", "rx ATDT 1234 79 001 *;\\r\n"}) {
        EXPECT_NE(Err().find(text), std::string::npos) << text << "\n" << Err();
    }
}

// The record of a run holds exactly its stdout and names its files by what sha256sum says;
// `runs` finds it.
TEST_F(ProgramCliTest, ARunLeavesARecordOfItsStdoutThatRunsShows) {
    const std::string include = m_dir.Write("inc.orv", "33\n");
    ASSERT_EQ(RunDirect("11\n#include " + include + "\n22\n", {"--complain-on", "22"},
                        {"--on-error", "continue"}),
              1)
        << Err();
    ASSERT_EQ(Records().size(), 1u);
    const std::string record = TempDir::Read(Records()[0]);
    const std::size_t body = record.find("\r\n\r\n") + 4;
    const std::string failed =
        "\r\nFailed lines: 1\r\nLine 4: 22\r\n"
        "  Verdict: Controller Reported ERROR 12\r\n";
    EXPECT_EQ(record.substr(body), Out() + failed);
    const auto sha = [](const std::string& path) {
        return zentrip::testing::RunChild({"/usr/bin/sha256sum", path}).out.substr(0, 64);
    };
    EXPECT_NE(record.find("\r\nWorking file SHA-256: " + sha(m_file) + "\r\n"), std::string::npos)
        << record;
    EXPECT_NE(record.find("\r\nIncluded file: " + sha(include) + "  " + include + "\r\n"),
              std::string::npos)
        << record;
    EXPECT_NE(record.find("\r\nOutcome: complete with 1 controller error\r\n"), std::string::npos);

    const auto runs = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {ZENTRIP_CLI, "runs"});
        return zentrip::testing::RunChild(args, Env());
    };
    const std::string start = record.substr(record.find("Start: ") + 7, 25);
    EXPECT_EQ(runs({}).out, "   1  " + start + "  prog.orv  " + m_dir.Path("controller") +
                                "  complete with 1 controller error  errors: 1\n");
    EXPECT_EQ(runs({"--show", "1"}).out, record);
    EXPECT_EQ(runs({"--json"}).out,
              "[\n  {\"number\": 1, \"file\": \"" + Records()[0] + "\", \"start\": \"" + start +
                  "\", \"program\": \"prog.orv\", \"device\": \"" + m_dir.Path("controller") +
                  "\", \"outcome\": \"complete with 1 controller error\", "
                  "\"errors\": 1, \"finished\": true}\n]\n");
    const std::string json = runs({"--show", "1", "--json"}).out;
    EXPECT_NE(json.find("\"results\": \"Preparing controller for direct session.\\u000d"
                        "\\u000aBeginning"),
              std::string::npos);
    EXPECT_NE(json.find("\"Included file\": [\"" + sha(include) + "  " + include + "\"]"),
              std::string::npos)
        << json;
    EXPECT_EQ(runs({"--show", "2"}).exitCode, 1);

    m_sim.reset();
    ASSERT_EQ(RunDirect("11\n", {}, {"--no-record"}), 0) << Err();
    EXPECT_EQ(Records().size(), 1u);
}

// A run killed by SIGKILL leaves its record as far as it got: every line sent so far.
TEST_F(ProgramCliTest, AKilledRunLeavesAnUnfinishedRecord) {
    const std::string device = StartSim();
    m_file = m_dir.Write("prog.orv", "11\n22\n#wait 60\n33\n");
    m_cli = StartCli({"--direct", "--no-init", "--device", device, m_file});
    const std::string sent = "[    2] 22\r\n";
    ASSERT_TRUE(m_cli->ReadUntil([&] { return Out().find(sent) != std::string::npos; }, kRunLimit))
        << Err();
    kill(m_cli->Pid(), SIGKILL);
    m_cli->Wait(kRunLimit);
    ASSERT_EQ(Records().size(), 1u);
    const std::string record = TempDir::Read(Records()[0]);
    EXPECT_NE(record.find("\r\nEnd: unfinished\r\nOutcome: unfinished\r\n"), std::string::npos)
        << record;
    EXPECT_EQ(record.substr(record.find("\r\n\r\n") + 4), Out());
    EXPECT_NE(Out().find(Begin() + "[    1] 11\r\n" + sent), std::string::npos) << Out();
    const auto listed = zentrip::testing::RunChild({ZENTRIP_CLI, "runs"}, Env()).out;
    EXPECT_NE(listed.find("  unfinished  errors: unfinished\n"), std::string::npos) << listed;
}

}  // namespace
