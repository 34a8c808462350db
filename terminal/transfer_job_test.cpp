// The transfer job: each mode runs its operation of the engine, and a cancel given before the
// operation begins is not lost to the engine's start.
#include "terminal/transfer_job.h"

#include <gtest/gtest.h>

#include <atomic>

#include "terminal/xmodem_test_util.h"

namespace zentrip::testing {
namespace {

struct Line {
    VirtualClock clock;
    FakeSerialLine line{clock};
    FakeSerialOpener opener{line};
    CSerialPort port{opener};
};

// On a silent line, in virtual time.
TEST(TransferJob, EachModeRunsItsOperation) {
    const struct {
        TransferMode mode;
        int engineMode;  // before the handshake
        int result;
    } cases[] = {
        {TransferMode::kXmodemTransmit, CXmodem::kModeUnchosen, kXmodemNoResponse},
        {TransferMode::kXmodemReceive, CXmodem::kModeCrc, kXmodemTooManyReceiveTries},
        {TransferMode::kTextTransmit, CXmodem::kModeCrc, kXmodemSuccess},
    };
    for (const auto& c : cases) {
        Line l;
        TempDir dir;
        const std::string path = c.mode == TransferMode::kXmodemReceive
                                     ? dir.Path("got")
                                     : dir.Write("in.txt", "one\r\ntwo\r\n");
        TransferJob job(c.mode, &l.port, 1, 9600, path, l.clock);
        EXPECT_EQ(job.Engine().Mode(), c.engineMode);
        std::atomic<int> progress{0};
        std::atomic<int> ended{0};
        job.Start([&] { ++progress; }, [&] { ++ended; });
        EXPECT_EQ(job.Finish(), c.result);
        EXPECT_TRUE(job.Ended());
        EXPECT_EQ(ended, 1);
        EXPECT_GT(progress, 0);
        EXPECT_FALSE(job.Cancelled());
    }
}

// A receiver that would take the file: the cancel came first, so nothing is sent.
TEST(TransferJob, CancelBeforeTheEngineStartsHolds) {
    Line l;
    TempDir dir;
    l.line.Feed("C");
    l.line.SetResponder([](std::string_view, FakeSerialLine& line) { line.Feed({&kAck, 1}); });
    TransferJob job(TransferMode::kXmodemTransmit, &l.port, 1, 9600,
                    dir.Write("in.bin", Pattern(300)), l.clock);
    job.Cancel();
    job.Start({}, {});
    EXPECT_EQ(job.Finish(), kXmodemNoResponse);
    EXPECT_TRUE(job.Cancelled());
    EXPECT_EQ(l.line.Written(), "");
}

}  // namespace
}  // namespace zentrip::testing
