#include "platform/drain_watch.h"

#include <gtest/gtest.h>

namespace zentrip {
namespace {

TEST(DrainWatch, WaitsAsLongAsASlowLineKeepsSending) {
    // 4 KiB at 300 bit/s leave at 30 characters a second, reported in 16-byte FIFO loads.
    DrainWatch watch(300, 0, 4096);
    int queued = 4096;
    std::int64_t now = 0;
    while (queued > 0) {
        now += 533;
        queued -= 16;
        ASSERT_EQ(watch.KeepWaiting(now, queued), queued > 0) << "at " << now << " ms";
    }
    EXPECT_GT(now, 130000);
}

TEST(DrainWatch, GivesUpOnAQueueThatStandsStill) {
    DrainWatch fast(115200, 0, 100);
    EXPECT_TRUE(fast.KeepWaiting(DrainWatch::kMinQuietMs, 100));
    EXPECT_FALSE(fast.KeepWaiting(DrainWatch::kMinQuietMs + 1, 100));
    // At 300 bit/s a burst of 256 characters takes 8.5 s, so standing still that long is normal.
    DrainWatch slow(300, 0, 1000);
    EXPECT_TRUE(slow.KeepWaiting(8533, 1000));
    EXPECT_FALSE(slow.KeepWaiting(8534, 1000));
}

}  // namespace
}  // namespace zentrip
