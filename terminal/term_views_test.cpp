#include "terminal/term_views.h"

#include <gtest/gtest.h>

#include "terminal/term_display.h"
#include "tests/support/time_zone.h"

namespace zentrip {
namespace {

constexpr std::int64_t kAt = 1796825002042;  // 2026-12-09 14:03:22.042 UTC

// Local time is UTC here, so the times read the same everywhere.
class TermViews : public ::testing::Test {
protected:
    testing::ScopedTimeZone m_zone{"UTC0"};
};

TEST_F(TermViews, TimePrefixIsTheLocalTimeToTheMillisecond) {
    EXPECT_EQ(TimePrefix(kAt), "14:03:22.042 ");
    EXPECT_EQ(TimePrefix(kAt + 37'958), "14:04:00.000 ");
}

// The prefix goes before each received line the display rules make, an empty one too, and not
// before typed text; a chunk without it (the view off) adds none.
TEST_F(TermViews, TheTimeViewStartsEveryDisplayLine) {
    CTermDisplay display;
    display.ShowReceived("\nA\r\nB", "1 ");
    display.ShowReceived("C\r\r", "2 ");
    display.Echo('x');
    display.Echo('\r');
    display.ShowReceived("D\bE\0F\r", "3 ");
    display.ShowReceived("G", "");
    display.ShowReceived("\r", "4 ");
    display.ShowReceived("H", "");
    EXPECT_EQ(display.Text(), "1 A\r\n1 BC\r\n2 \r\nx\r\n3 EG\r\nH");
}

TEST_F(TermViews, HexLinesEndWhenFullOrAfterAPause) {
    CHexView hex;
    EXPECT_EQ(hex.Received("0123456789ABCDEF\x01", kAt),
              "30 31 32 33 34 35 36 37 38 39 41 42 43 44 45 46  0123456789ABCDEF\r");
    EXPECT_EQ(hex.FlushDue(), kAt + 101);
    EXPECT_EQ(hex.Flush(kAt + 100), "");
    EXPECT_EQ(hex.Received("\xff", kAt + 100), "");
    EXPECT_EQ(hex.Flush(kAt + 201), "01 FF                                            ..\r");
    EXPECT_EQ(hex.FlushDue(), std::nullopt);

    hex.SetShowTime(true);
    EXPECT_EQ(hex.Received("OK", kAt), "");
    hex.SetShowTime(false);  // from the next line on
    EXPECT_EQ(hex.Received("\r\n", kAt + 150),
              "14:03:22.042 4F 4B                                            OK\r");
    EXPECT_EQ(hex.TakePartial(), "0D 0A                                            ..\r");
}

TEST_F(TermViews, LogTimesStartEachLineAndKeepTheBytes) {
    CLogTimes log;
    EXPECT_EQ(log.Stamp("A\r", "1 "), "1 A\r");
    EXPECT_EQ(log.Stamp("\nB\rC", "2 "), "\n2 B\r2 C");
    EXPECT_EQ(log.Stamp("\nD", ""), "\nD");
    EXPECT_EQ(log.Stamp("E\n\nF", "3 "), "E\n3 \n3 F");
}

}  // namespace
}  // namespace zentrip
