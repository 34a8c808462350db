// zentrip-cli send, receive and send-text end to end: against lrzsz over socat ptys, and
// against a pseudo-terminal the test plays itself.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <thread>

#include "platform/pseudo_terminal.h"
#include "terminal/xmodem_test_util.h"
#include "tests/support/cli_process.h"
#include "tests/support/lrzsz_peer.h"
#include "tests/support/wait_until.h"

namespace zentrip::testing {
namespace {

class TransferCliTest : public ::testing::Test {
protected:
    // The commands read the stored settings; each test gets a store of its own.
    TransferCliTest() { setenv("XDG_CONFIG_HOME", dir.Path("").c_str(), 1); }

    CliProcess Run(const std::vector<std::string>& args, int stderrFd = -1) {
        return CliProcess(ZENTRIP_CLI, args, stderrFd);
    }
    bool HaveLrzsz() const {
        return !FindProgram("socat").empty() && !FindProgram("rx").empty() &&
               !FindProgram("sx").empty();
    }

    TempDir dir;
};

TEST_F(TransferCliTest, SendToRx) {
    if (!HaveLrzsz()) GTEST_SKIP() << "socat and lrzsz are needed";
    const std::string data = Pattern(300);
    const std::string in = dir.Write("in.bin", data);
    LrzszPeer peer(dir.Path(""), {"rx", "-c", "out.bin"});
    ASSERT_TRUE(peer.Ready(5000));
    auto cli = Run({"send", in, "--device", peer.TtyPath(), "--rate", "115200"});
    EXPECT_EQ(cli.Wait(30000), 0) << cli.Stderr();
    EXPECT_EQ(cli.Stdout(), "Transfer completed successfully!\n");
    EXPECT_EQ(cli.Stderr(), "");  // no progress line when stderr is not a terminal
    EXPECT_TRUE(peer.Wait(10000));
    std::string expected = data;
    expected.resize(384, '\0');
    EXPECT_EQ(TempDir::Read(dir.Path("out.bin")), expected);
}

TEST_F(TransferCliTest, ReceiveFromSx) {
    if (!HaveLrzsz()) GTEST_SKIP() << "socat and lrzsz are needed";
    const std::string data = Pattern(200);
    dir.Write("in.bin", data);
    LrzszPeer peer(dir.Path(""), {"sx", "in.bin"});
    ASSERT_TRUE(peer.Ready(5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::string out = dir.Path("got.bin");
    auto cli = Run({"receive", "--device=" + peer.TtyPath(), out});
    EXPECT_EQ(cli.Wait(30000), 0) << cli.Stderr();
    EXPECT_EQ(cli.Stdout(), "Transfer of \"" + out + "\" completed successfully!\n");
    std::string expected = data;
    expected.resize(256, 0x1A);
    EXPECT_EQ(TempDir::Read(out), expected);
}

TEST_F(TransferCliTest, SendTextWithLiveProgressOnATerminal) {
    PseudoTerminal line;
    PseudoTerminal console;
    ASSERT_TRUE(line.Ok() && console.Ok());
    const std::string in = dir.Write("t.txt", "AB\r\nC\n");
    auto cli = Run({"send-text", in, "--device", line.SlavePath()}, console.SlaveFd());
    EXPECT_EQ(cli.Wait(10000), 0);
    EXPECT_EQ(cli.Stdout(), "Text transmission completed!\n");
    EXPECT_EQ(line.ReadMaster(5, 2000), "AB\rC\r");
    const std::string progress = console.ReadMaster(4096, 500);
    EXPECT_NE(progress.find("Raw Text Transmission: Lines Sent: 2  Approx Chars Sent: 9"),
              std::string::npos)
        << progress;
    EXPECT_NE(progress.find("[####################] 100%"), std::string::npos) << progress;
}

TEST_F(TransferCliTest, PortAndItsDeviceComeFromTheStoredSettings) {
    PseudoTerminal line;
    ASSERT_TRUE(line.Ok());
    auto settings =
        CliProcess(ZENTRIP_CLI, {"settings", "--port", "3", "--device", "3=" + line.SlavePath(),
                                 "--device", "2=" + dir.Path("none")});
    ASSERT_EQ(settings.Wait(5000), 0) << settings.Stderr();
    auto cli = Run({"send-text", dir.Write("t.txt", "hi\n")});
    EXPECT_EQ(cli.Wait(10000), 0) << cli.Stderr();
    EXPECT_EQ(line.ReadMaster(3, 2000), "hi\r");

    auto other = Run({"send-text", dir.Path("t.txt"), "--port", "2"});
    EXPECT_EQ(other.Wait(5000), 15);
    EXPECT_NE(other.Stderr().find("cannot open serial port COM2 (" + dir.Path("none") + ")"),
              std::string::npos)
        << other.Stderr();
}

TEST_F(TransferCliTest, FailuresExitWithTheResultCodeAndItsText) {
    PseudoTerminal line;
    ASSERT_TRUE(line.Ok());
    auto send = Run({"send", dir.Path("missing.bin"), "--device", line.SlavePath()});
    EXPECT_EQ(send.Wait(10000), 6);
    EXPECT_EQ(send.Stderr(), "*** ERROR 6: Unable to open transmit file. ***\n" +
                                 dir.Path("missing.bin") + ": No such file or directory\n");
    EXPECT_EQ(send.Stdout(), "");

    auto receive = Run({"receive", dir.Path("no/dir/out.bin"), "--device", line.SlavePath()});
    EXPECT_EQ(receive.Wait(10000), 7);
    EXPECT_EQ(receive.Stderr(), "*** ERROR 7: Unable to create receive file. ***\n" +
                                    dir.Path("no/dir/out.bin") + ": No such file or directory\n");
}

TEST_F(TransferCliTest, PortThatCannotOpenIsReportedAtOnce) {
    auto cli = Run({"send-text", dir.Write("t.txt", "x\n"), "--device", dir.Path("nodevice")});
    EXPECT_EQ(cli.Wait(5000), 15);
    EXPECT_EQ(cli.Stderr(), "zentrip-cli: cannot open serial port COM1 (" + dir.Path("nodevice") +
                                "): No such file or directory\n");
}

// Closing the terminal or stopping a service cancels as Ctrl-C does.
TEST_F(TransferCliTest, CtrlCSigtermAndSighupCancelAReceive) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        PseudoTerminal line;
        ASSERT_TRUE(line.Ok());
        auto cli = Run({"receive", dir.Path("out.bin"), "--device", line.SlavePath()});
        ASSERT_EQ(line.ReadMaster(1, 5000), "C");
        const auto start = std::chrono::steady_clock::now();
        cli.Signal(signal);
        EXPECT_EQ(cli.Wait(15000), 8);
        EXPECT_LT(MsSince(start), 5000) << "not after the receive's time-outs";
        EXPECT_EQ(line.ReadMaster(1, 2000), "\x18");
        EXPECT_EQ(cli.Stderr(), "");
        EXPECT_EQ(cli.Stdout(), "");
    }
}

TEST_F(TransferCliTest, CtrlCStopsSendTextAfterTheCurrentLineWithoutAMessage) {
    PseudoTerminal line;
    ASSERT_TRUE(line.Ok());
    std::string text;
    for (int i = 0; i < 200; ++i) text += "line\n";
    auto cli = Run({"send-text", dir.Write("t.txt", text), "--device", line.SlavePath()});
    ASSERT_EQ(line.ReadMaster(5, 5000), "line\r");
    cli.Signal(SIGINT);
    EXPECT_EQ(cli.Wait(5000), 1);
    EXPECT_EQ(cli.Stderr(), "");
    EXPECT_EQ(cli.Stdout(), "");
    const std::string sent = "line\r" + line.ReadMaster(1000, 500);
    EXPECT_LT(sent.size(), text.size());
    EXPECT_EQ(sent.size() % 5, 0u) << sent;
}

// The far end of the line vanishes in the middle of each transfer: the command ends soon after
// (not after the transfer's time-outs, nor after the rest of the text) with a failure status
// and says which device went and why.
class TransferLostDeviceTest : public TransferCliTest {
protected:
    void PullAndExpect(CliProcess& cli, int status, const std::string& errorLine) {
        const auto lost = std::chrono::steady_clock::now();
        line.CloseMaster();
        EXPECT_EQ(cli.Wait(15000), status);
        EXPECT_LT(MsSince(lost), 5000);
        EXPECT_EQ(cli.Stderr(), "zentrip-cli: serial device " + line.SlavePath() +
                                    " lost (Input/output error)\n" + errorLine + "\n");
        EXPECT_EQ(cli.Stdout(), "");
    }

    PseudoTerminal line;
};

TEST_F(TransferLostDeviceTest, SendText) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "line\n";
    auto cli = Run({"send-text", dir.Write("t.txt", text), "--device", line.SlavePath()});
    ASSERT_EQ(line.ReadMaster(25, 5000), "line\rline\rline\rline\rline\r");
    PullAndExpect(cli, 3, "*** ERROR 3: Too many retries or aborted during transmission. ***");
}

TEST_F(TransferLostDeviceTest, Send) {
    auto cli = Run({"send", dir.Write("in.bin", Pattern(1280)), "--device", line.SlavePath()});
    std::string block;
    for (int tries = 0; tries < 10 && block.empty(); ++tries) {
        ASSERT_TRUE(line.WriteMaster("C"));
        block = line.ReadMaster(133, 1000);
    }
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(block.size(), 133u);
        ASSERT_TRUE(line.WriteMaster(std::string(1, kAck)));
        block = line.ReadMaster(133, 5000);
    }
    PullAndExpect(cli, 3, "*** ERROR 3: Too many retries or aborted during transmission. ***");
}

TEST_F(TransferLostDeviceTest, Receive) {
    auto cli = Run({"receive", dir.Path("out.bin"), "--device", line.SlavePath()});
    ASSERT_EQ(line.ReadMaster(1, 5000), "C");
    const std::string data = Pattern(512);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(line.WriteMaster(WireBlock(i + 1, data.substr(i * 128, 128), true)));
        ASSERT_EQ(line.ReadMaster(1, 5000), std::string(1, kAck));
    }
    ASSERT_TRUE(line.WriteMaster(WireBlock(4, data.substr(384), true).substr(0, 70)));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    PullAndExpect(cli, 8,
                  "*** ERROR 8: Too many tries or aborted during reception. ***\n"
                  "The data that did arrive is kept in " +
                      dir.Path("out.bin.part") + ".");
}

TEST_F(TransferCliTest, HelpAndUsageErrors) {
    for (const char* command : {"send", "receive", "send-text"}) {
        auto help = Run({command, "--help"});
        EXPECT_EQ(help.Wait(5000), 0);
        EXPECT_NE(
            help.Stdout().find(std::string("usage: zentrip-cli ") + command + " [options] FILE"),
            std::string::npos);
        EXPECT_NE(help.Stdout().find("--device PATH"), std::string::npos);
        EXPECT_NE(help.Stdout().find("Exit status"), std::string::npos);
    }
    auto noFile = Run({"send"});
    EXPECT_EQ(noFile.Wait(5000), 64);
    EXPECT_NE(noFile.Stderr().find("FILE is missing"), std::string::npos);
    auto badRate = Run({"send", "f", "--rate", "1234"});
    EXPECT_EQ(badRate.Wait(5000), 64);
    EXPECT_NE(badRate.Stderr().find("unsupported data rate 1234"), std::string::npos);
    auto badPort = Run({"receive", "f", "--port", "5"});
    EXPECT_EQ(badPort.Wait(5000), 64);
}

}  // namespace
}  // namespace zentrip::testing
