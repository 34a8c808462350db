// The termios device over real pseudo-terminals: raw bytes both ways, the line settings it
// applies and puts back, exclusive use against this and other processes, UUCP locks, and a
// device whose other end vanishes.
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/pseudo_terminal.h"
#include "platform/serial_device.h"
#include "platform/uucp_lock.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"

namespace zentrip {
namespace {

using std::chrono::steady_clock;

using testing::MsSince;
using testing::TempDir;

// Reads from the device until n bytes came, waiting for readiness in between.
std::string ReadDevice(SerialDevice& device, std::size_t n) {
    std::string got;
    char buf[256];
    const auto start = steady_clock::now();
    while (got.size() < n && MsSince(start) < 5000) {
        device.WaitReadable(100);
        got.append(buf, device.Read(buf, sizeof buf));
    }
    return got;
}

TEST(PosixSerialDevice, CarriesRawBytesBothWaysInOrder) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    std::string error;
    auto device = PosixSerialOpener().Open(pty.SlavePath(), 9600, &error);
    ASSERT_TRUE(device) << error;

    char buf[16];
    EXPECT_EQ(device->Read(buf, sizeof buf), 0u) << "nothing has arrived";
    EXPECT_FALSE(device->WaitReadable(0));

    // Control characters, flow-control characters and 8-bit bytes pass untouched.
    const std::string out(
        "AT\r\n\0\x11\x13\x7f\xff"
        "end",
        12);
    EXPECT_EQ(device->Write(out.data(), out.size()), out.size());
    EXPECT_EQ(pty.ReadMaster(out.size()), out);

    const std::string in(
        "\r\n\0\x03\x11\x13\x1a\xfe"
        "OK\r\n",
        12);
    ASSERT_TRUE(pty.WriteMaster(in));
    EXPECT_EQ(ReadDevice(*device, in.size()), in);
    EXPECT_FALSE(device->IsLost());
    EXPECT_EQ(device->LostReason(), "");
}

TEST(PosixSerialDevice, WritesWaitForRoomInsteadOfDropping) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    std::string error;
    auto device = PosixSerialOpener().Open(pty.SlavePath(), 115200, &error);
    ASSERT_TRUE(device) << error;

    // Far more than the pseudo-terminal buffers, so the writer meets EAGAIN many times.
    std::string block(512 * 1024, '\0');
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 31 % 253);
    std::string received;
    std::thread drain([&] { received = pty.ReadMaster(block.size(), 5000); });
    EXPECT_EQ(device->Write(block.data(), block.size()), block.size());
    drain.join();
    EXPECT_TRUE(received == block) << "received " << received.size() << " bytes";
}

TEST(PosixSerialDevice, AppliesRawEightNOneAndEveryRateThenRestoresTheLine) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    termios before{};
    ASSERT_EQ(tcgetattr(pty.SlaveFd(), &before), 0);
    before.c_lflag |= ICANON | ECHO;
    before.c_cflag |= CRTSCTS | PARENB;
    before.c_iflag |= IXON;
    cfsetspeed(&before, B1200);
    ASSERT_EQ(tcsetattr(pty.SlaveFd(), TCSANOW, &before), 0);
    ASSERT_EQ(tcgetattr(pty.SlaveFd(), &before), 0);

    const std::uint32_t rates[] = {300,   1200,  2400,  4800,   9600,
                                   19200, 38400, 57600, 115200, 230400};
    const speed_t speeds[] = {B300,   B1200,  B2400,  B4800,   B9600,
                              B19200, B38400, B57600, B115200, B230400};
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(rates[i]);
        std::string error;
        auto device = PosixSerialOpener().Open(pty.SlavePath(), rates[i], &error);
        ASSERT_TRUE(device) << error;
        termios tio{};
        ASSERT_EQ(tcgetattr(pty.SlaveFd(), &tio), 0);
        EXPECT_EQ(cfgetospeed(&tio), speeds[i]);
        EXPECT_EQ(cfgetispeed(&tio), speeds[i]);
        EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
        EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | IXANY | ICRNL | ISTRIP), 0u);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(tio.c_oflag & OPOST, 0u);
        EXPECT_EQ(tio.c_cc[VMIN], 0);
        EXPECT_EQ(tio.c_cc[VTIME], 0);
        int exclusive = 0;
        ASSERT_EQ(ioctl(pty.SlaveFd(), TIOCGEXCL, &exclusive), 0);
        EXPECT_NE(exclusive, 0);

        device.reset();
        termios after{};
        ASSERT_EQ(tcgetattr(pty.SlaveFd(), &after), 0);
        EXPECT_EQ(after.c_lflag, before.c_lflag);
        EXPECT_EQ(after.c_cflag, before.c_cflag);
        EXPECT_EQ(after.c_iflag, before.c_iflag);
        EXPECT_EQ(after.c_oflag, before.c_oflag);
        ASSERT_EQ(ioctl(pty.SlaveFd(), TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 0) << "the exclusive flag was ours to clear";
    }
}

TEST(PosixSerialDevice, KeepsTheSystemsTextWhenOpenFails) {
    std::string error;
    EXPECT_FALSE(PosixSerialOpener().Open("/dev/zentrip-no-such-device", 9600, &error));
    EXPECT_EQ(error, "No such file or directory");
    // Asked before opening: whatever is not a terminal is refused as such, a directory too.
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.Path("fifo").c_str(), 0600), 0);
    for (const std::string& path :
         {std::string("/dev/null"), dir.Write("file", "x"), dir.Path(), dir.Path("fifo")}) {
        EXPECT_FALSE(PosixSerialOpener().Open(path, 9600, &error)) << path;
        EXPECT_EQ(error, "not a terminal device") << path;
    }
}

TEST(PosixSerialDevice, SecondOpenInThisProcessFailsUntilTheFirstCloses) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    std::string error;
    auto first = PosixSerialOpener().Open(pty.SlavePath(), 9600, &error);
    ASSERT_TRUE(first) << error;
    EXPECT_FALSE(PosixSerialOpener().Open(pty.SlavePath(), 9600, &error));
    EXPECT_EQ(error, "Device or resource busy");
    // The failed attempt must not have undone the holder's exclusive flag.
    int exclusive = 0;
    ASSERT_EQ(ioctl(pty.SlaveFd(), TIOCGEXCL, &exclusive), 0);
    EXPECT_NE(exclusive, 0);
    first.reset();
    EXPECT_TRUE(PosixSerialOpener().Open(pty.SlavePath(), 9600, &error)) << error;
}

TEST(PosixSerialDevice, DeviceHeldByAnotherProcessIsRefused) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    int held[2];
    int release[2];
    ASSERT_EQ(pipe(held), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string childError;
        auto device = PosixSerialOpener().Open(pty.SlavePath(), 9600, &childError);
        const char ok = device ? '1' : '0';
        (void)!write(held[1], &ok, 1);
        char go;
        (void)!read(release[0], &go, 1);
        device.reset();
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(held[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');
    std::string error;
    EXPECT_FALSE(PosixSerialOpener().Open(pty.SlavePath(), 9600, &error));
    EXPECT_EQ(error, "Device or resource busy");

    ASSERT_EQ(write(release[1], "x", 1), 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(PosixSerialOpener().Open(pty.SlavePath(), 9600, &error)) << error;
    for (int fd : {held[0], held[1], release[0], release[1]}) close(fd);
}

TEST(UucpLock, ReadsBothPidFormats) {
    EXPECT_EQ(ParseUucpLockPid("      4242\n"), 4242);
    EXPECT_EQ(ParseUucpLockPid("4242\n"), 4242);
    EXPECT_EQ(ParseUucpLockPid("17\n"), 17);
    EXPECT_EQ(ParseUucpLockPid("162\n"), 162) << "four bytes, but text";
    EXPECT_EQ(ParseUucpLockPid(" 42\n"), 42);
    EXPECT_EQ(ParseUucpLockPid("       123 minicom root\n"), 123);
    const std::int32_t binary = 31337;
    EXPECT_EQ(ParseUucpLockPid(std::string(reinterpret_cast<const char*>(&binary), 4)), 31337);
    EXPECT_EQ(ParseUucpLockPid(""), std::nullopt);
    EXPECT_EQ(ParseUucpLockPid("   0\n"), std::nullopt);
    EXPECT_EQ(ParseUucpLockPid("garbage\n"), std::nullopt);
    EXPECT_EQ(ParseUucpLockPid("12x4\n"), std::nullopt);
    EXPECT_EQ(ParseUucpLockPid("99999999999\n"), std::nullopt);
}

TEST(UucpLock, NamesTheLockAfterTheRealDevice) {
    EXPECT_EQ(UucpLockName("/dev/zentrip-missing/ttyS0"), "LCK..ttyS0");
    TempDir dir{"zentrip-lock-"};
    const std::string target = dir.Path() + "/ttyUSB7";
    std::ofstream(target).put('x');
    std::filesystem::create_symlink(target, dir.Path() + "/usb-Orvane_adapter-if00");
    EXPECT_EQ(UucpLockName(dir.Path() + "/usb-Orvane_adapter-if00"), "LCK..ttyUSB7");
}

TEST(UucpLock, LiveHolderRefusesTheOpenAndStaleLocksAreIgnored) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    TempDir dir{"zentrip-lock-"};
    auto opener = MakePosixSerialOpener({dir.Path() + "/missing", dir.Path()});
    const std::string lockFile = dir.Path() + "/" + UucpLockName(pty.SlavePath());

    const pid_t dead = fork();
    ASSERT_GE(dead, 0);
    if (dead == 0) _exit(0);
    ASSERT_EQ(waitpid(dead, nullptr, 0), dead);

    char ascii[16];
    std::snprintf(ascii, sizeof ascii, "%10d\n", static_cast<int>(dead));
    std::ofstream(lockFile, std::ios::trunc) << ascii;
    std::string error;
    EXPECT_TRUE(opener->Open(pty.SlavePath(), 9600, &error)) << "stale lock: " << error;

    std::snprintf(ascii, sizeof ascii, "%10d\n", static_cast<int>(getpid()));
    std::ofstream(lockFile, std::ios::trunc) << ascii;
    EXPECT_FALSE(opener->Open(pty.SlavePath(), 9600, &error));
    EXPECT_EQ(error,
              "Device or resource busy (locked by process " + std::to_string(getpid()) + ")");

    const std::int32_t self = getpid();
    std::ofstream(lockFile, std::ios::trunc | std::ios::binary)
        .write(reinterpret_cast<const char*>(&self), sizeof self);
    EXPECT_FALSE(opener->Open(pty.SlavePath(), 9600, &error));

    std::filesystem::remove(lockFile);
    EXPECT_TRUE(opener->Open(pty.SlavePath(), 9600, &error)) << error;
}

TEST(UucpLock, LockFolderThatCannotBeLookedInRefusesTheOpen) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    TempDir dir{"zentrip-lock-"};
    // A folder path under a regular file: not even root can look there.
    std::ofstream(dir.Path() + "/plain").put('x');
    auto opener = MakePosixSerialOpener({dir.Path() + "/plain/lock"});
    std::string error;
    EXPECT_FALSE(opener->Open(pty.SlavePath(), 9600, &error));
    EXPECT_EQ(error,
              "cannot look for a UUCP lock (" + dir.Path() + "/plain/lock: Not a directory)");
}

TEST(PosixSerialDevice, VanishedDeviceNeverHangs) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    std::string error;
    auto device = PosixSerialOpener().Open(pty.SlavePath(), 9600, &error);
    ASSERT_TRUE(device) << error;
    ASSERT_TRUE(pty.WriteMaster("last"));
    EXPECT_EQ(ReadDevice(*device, 4), "last");

    pty.CloseMaster();
    const auto start = steady_clock::now();
    char buf[8];
    EXPECT_EQ(device->Read(buf, sizeof buf), 0u);
    EXPECT_FALSE(device->WaitReadable(60000));
    EXPECT_TRUE(device->IsLost());
    EXPECT_EQ(device->LostReason(), "Input/output error");
    EXPECT_EQ(device->Write("lost", 4), 0u);
    device.reset();
    EXPECT_LT(MsSince(start), 10000) << "nothing may wait on a vanished device";
}

TEST(PosixSerialDevice, VanishedDeviceIsNoticedByAWrite) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    std::string error;
    auto device = PosixSerialOpener().Open(pty.SlavePath(), 9600, &error);
    ASSERT_TRUE(device) << error;
    pty.CloseMaster();
    EXPECT_EQ(device->Write("abc", 3), 0u);
    EXPECT_TRUE(device->IsLost());
    EXPECT_NE(device->LostReason(), "");
}

}  // namespace
}  // namespace zentrip
