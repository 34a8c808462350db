#include "platform/clock.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "tests/support/time_zone.h"

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

TEST(VirtualClock, SleepAdvancesVirtualTimeAndCalendar) {
    VirtualClock clock(*ParseLocalTime("2026-12-31 23:59:59"));
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
    VirtualClock base;
    base.AdvanceMs(777);
    FixedStartClock clock(base, *ParseLocalTime("2027-03-07 09:05:03"));
    base.AdvanceMs(2000);
    LocalTime now = clock.LocalNow();
    EXPECT_EQ(now.second, 5);
    EXPECT_EQ(now.weekday, 0);
}

// The system's time zone for one test; the one before comes back afterwards.
class ZoneTest : public ::testing::Test {
protected:
    testing::ScopedTimeZone m_zone{"Europe/Berlin"};

    static std::string Wall(const LocalTime& t) {
        char text[32];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                      t.hour, t.minute, t.second);
        return text;
    }

private:
};

// In Berlin the clocks go from 02:00 to 03:00 on 28 March 2027 and from 03:00 back to 02:00
// on 31 October 2027. Virtual time runs in real seconds across both.
TEST_F(ZoneTest, VirtualClocksCrossDaylightSavingChangesInRealSeconds) {
    const LocalTime beforeSpring = *ParseLocalTime("2027-03-28 01:59:30");
    VirtualClock fake(beforeSpring);
    fake.SleepMs(60000);
    EXPECT_EQ(Wall(fake.LocalNow()), "2027-03-28 03:00:30");
    EXPECT_EQ(fake.LocalNow().weekday, 0);

    VirtualClock base;
    FixedStartClock fixed(base, beforeSpring);
    base.AdvanceMs(60000);
    EXPECT_EQ(Wall(fixed.LocalNow()), "2027-03-28 03:00:30");

    // 02:30 comes twice in autumn: the first, in summer time; an hour later it is 02:30 again.
    VirtualClock autumn(*ParseLocalTime("2027-10-31 02:30:00"));
    autumn.SleepMs(3600 * 1000);
    EXPECT_EQ(Wall(autumn.LocalNow()), "2027-10-31 02:30:00");
    autumn.SleepMs(3600 * 1000);
    EXPECT_EQ(Wall(autumn.LocalNow()), "2027-10-31 03:30:00");
}

TEST_F(ZoneTest, LocalTimesTheClocksSkipAreRefused) {
    std::string why;
    EXPECT_FALSE(ParseLocalTime("2027-03-28 02:30:00", &why));
    EXPECT_NE(why.find("does not occur"), std::string::npos) << why;
    EXPECT_FALSE(LocalTimeToSeconds(LocalTime{2027, 3, 28, 0, 2, 0, 0}));
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
    EXPECT_LT(took, 5000u) << "cut short, far from the minute";
    EXPECT_TRUE(clock.InterruptibleSleepMs(20, std::atomic<bool>{false}));
}

TEST(InterruptibleSleep, VirtualTimeSkipsTheWholeSleepOnceInterrupted) {
    VirtualClock clock;
    std::atomic<bool> interrupt{false};
    EXPECT_TRUE(clock.InterruptibleSleepMs(700, interrupt));
    interrupt = true;
    EXPECT_FALSE(clock.InterruptibleSleepMs(900, interrupt));
    EXPECT_EQ(clock.Sleeps(), (std::vector<std::uint32_t>{700}));
}

}  // namespace
}  // namespace zentrip
