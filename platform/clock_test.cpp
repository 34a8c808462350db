#include "platform/clock.h"

#include <gtest/gtest.h>

#include <thread>

namespace zentrip {
namespace {

TEST(ParseLocalTime, ComputesWeekday) {
    auto sunday = ParseLocalTime("2027-03-07 09:05:03");
    ASSERT_TRUE(sunday);
    EXPECT_EQ(sunday->weekday, 0);
    EXPECT_EQ(sunday->second, 3);
    auto saturday = ParseLocalTime("2026-12-19 23:59:58");
    ASSERT_TRUE(saturday);
    EXPECT_EQ(saturday->weekday, 6);
    EXPECT_EQ(ParseLocalTime("2028-02-29 00:00:00")->weekday, 2);
}

TEST(ParseLocalTime, RefusesInvalidTimes) {
    EXPECT_FALSE(ParseLocalTime("2027-02-29 00:00:00"));
    EXPECT_FALSE(ParseLocalTime("2027-13-01 00:00:00"));
    EXPECT_FALSE(ParseLocalTime("2027-01-01 24:00:00"));
    EXPECT_FALSE(ParseLocalTime("2027-01-01 10:00"));
    EXPECT_FALSE(ParseLocalTime("2027-01-01 10:00:00x"));
    EXPECT_FALSE(ParseLocalTime(""));
}

TEST(FakeClock, SleepAdvancesVirtualTimeAndCalendar) {
    FakeClock clock(*ParseLocalTime("2026-12-31 23:59:59"));
    clock.SleepMs(1500);
    clock.SleepMs(0);
    EXPECT_EQ(clock.TickMs(), 1500u);
    EXPECT_EQ(clock.Sleeps(), (std::vector<std::uint32_t>{1500, 0}));
    LocalTime now = clock.LocalNow();
    EXPECT_EQ(now.year, 2027);
    EXPECT_EQ(now.month, 1);
    EXPECT_EQ(now.day, 1);
    EXPECT_EQ(now.second, 0);
    EXPECT_EQ(now.weekday, 5);
}

TEST(FixedStartClock, StartsAtTheGivenTime) {
    FakeClock base;
    base.AdvanceMs(777);
    FixedStartClock clock(base, *ParseLocalTime("2027-03-07 09:05:03"));
    base.AdvanceMs(2000);
    LocalTime now = clock.LocalNow();
    EXPECT_EQ(now.second, 5);
    EXPECT_EQ(now.weekday, 0);
}

TEST(InterruptibleSleep, AnotherThreadCutsASystemSleepShort) {
    SystemClock clock;
    std::atomic<bool> interrupt{false};
    const std::uint64_t start = clock.TickMs();
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        interrupt = true;
    });
    EXPECT_FALSE(clock.InterruptibleSleepMs(60000, interrupt));
    setter.join();
    const std::uint64_t took = clock.TickMs() - start;
    EXPECT_GE(took, 100u);
    EXPECT_LT(took, 100u + 4 * SystemClock::kInterruptCheckMs);
    EXPECT_TRUE(clock.InterruptibleSleepMs(20, std::atomic<bool>{false}));
}

TEST(InterruptibleSleep, VirtualTimeSkipsTheWholeSleepOnceInterrupted) {
    FakeClock clock;
    std::atomic<bool> interrupt{false};
    EXPECT_TRUE(clock.InterruptibleSleepMs(700, interrupt));
    interrupt = true;
    EXPECT_FALSE(clock.InterruptibleSleepMs(900, interrupt));
    EXPECT_EQ(clock.Sleeps(), (std::vector<std::uint32_t>{700}));
}

}  // namespace
}  // namespace zentrip
