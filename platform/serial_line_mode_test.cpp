#include "platform/serial_line_mode.h"

#include <gtest/gtest.h>

#include <utility>

#include "platform/pseudo_terminal.h"

namespace zentrip {
namespace {

// tcsetattr succeeds when any part of the settings took; the open checks what a device read
// back, so one that ignores a part of raw 8N1 is refused instead of used as it is.
TEST(SerialLineMode, OnlySettingsThatAreWhollyRawEightNOnePass) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    termios cooked{};
    ASSERT_EQ(tcgetattr(pty.SlaveFd(), &cooked), 0);
    EXPECT_FALSE(IsRawEightNOne(cooked)) << "a fresh pty is in canonical mode";
    termios raw = cooked;
    MakeRawEightNOne(raw);
    EXPECT_TRUE(IsRawEightNOne(raw));

    const std::pair<const char*, void (*)(termios&)> ignored[] = {
        {"7 bits", [](termios& t) { t.c_cflag = (t.c_cflag & ~CSIZE) | CS7; }},
        {"parity", [](termios& t) { t.c_cflag |= PARENB; }},
        {"RTS/CTS", [](termios& t) { t.c_cflag |= CRTSCTS; }},
        {"receiver off", [](termios& t) { t.c_cflag &= ~CREAD; }},
        {"XON/XOFF", [](termios& t) { t.c_iflag |= IXON; }},
        {"output processing", [](termios& t) { t.c_oflag |= OPOST; }},
        {"line editing", [](termios& t) { t.c_lflag |= ICANON; }},
        {"echo", [](termios& t) { t.c_lflag |= ECHO; }},
        {"blocking reads", [](termios& t) { t.c_cc[VMIN] = 1; }},
    };
    for (const auto& [what, change] : ignored) {
        termios got = raw;
        change(got);
        EXPECT_FALSE(IsRawEightNOne(got)) << what;
    }
}

}  // namespace
}  // namespace zentrip
