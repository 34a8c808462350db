// The log says why it cannot start, and stops, saying why, when its file takes no more; it never
// takes a device and never waits on a FIFO. (That it keeps bytes unchanged is seen where the
// window and the console terminal log.)
#include "terminal/terminal_log.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/pseudo_terminal.h"
#include "tests/support/temp_dir.h"

namespace zentrip {
namespace {

TEST(TerminalLog, RefusesWhatIsNoFileAndSaysWhy) {
    const testing::TempDir dir{"zentrip-log-"};
    PseudoTerminal port;
    PseudoTerminal other;
    ASSERT_TRUE(port.Ok() && other.Ok());
    const std::string link = dir.Path("port-link");
    ASSERT_EQ(symlink(port.SlavePath().c_str(), link.c_str()), 0);
    const std::string fifo = dir.Path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path;
        const char* why;
    };
    const Case cases[] = {
        {port.SlavePath(),
         "it is the terminal's own serial device: every byte received would be sent back"},
        {link, "it is the terminal's own serial device: every byte received would be sent back"},
        {other.SlavePath(), "it is a device, not a file"},
        {"/dev/null", "it is a device, not a file"},
        {fifo, "no program reads the FIFO"},
        {dir.Path("missing/term.log"), "No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        CTerminalLog log;
        std::string error;
        EXPECT_FALSE(log.Start(c.path, port.SlavePath(), &error));
        EXPECT_EQ(error, c.why);
        EXPECT_FALSE(log.IsOn());
    }
    EXPECT_EQ(port.ReadMaster(1, 100), "") << "the port's device is never written";
}

TEST(TerminalLog, FifoWhoseReaderStopsEndsTheLogNotTheWriter) {
    const testing::TempDir dir{"zentrip-log-"};
    const std::string fifo = dir.Path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    CTerminalLog log;
    std::string error;
    ASSERT_TRUE(log.Start(fifo, "/dev/ttyS0", &error)) << error;
    ASSERT_TRUE(log.Append("first", &error));
    char got[8] = {};
    ASSERT_EQ(read(reader, got, sizeof got), 5);

    // Nobody reads: the pipe fills, and the log stops with the reason instead of waiting.
    const std::string chunk(1022, 'x');
    bool appended = true;
    for (int i = 0; i < 1000 && appended; ++i) appended = log.Append(chunk, &error);
    EXPECT_FALSE(appended);
    EXPECT_EQ(error, "the FIFO is full: its reader takes no more");
    EXPECT_FALSE(log.IsOn());

    // The reader goes: the next write fails with its reason and the program lives on.
    ASSERT_TRUE(log.Start(fifo, "/dev/ttyS0", &error)) << error;
    close(reader);
    EXPECT_FALSE(log.Append("late", &error));
    EXPECT_EQ(error, "Broken pipe");
}

}  // namespace
}  // namespace zentrip
