#include "platform/clock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

namespace zentrip {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
std::int64_t DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = static_cast<int>(y - era * 400);
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

LocalTime CivilFromSeconds(std::int64_t seconds) {
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    LocalTime t;
    t.weekday = static_cast<int>((days % 7 + 11) % 7);  // 1970-01-01 was a Thursday
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = static_cast<int>(z - era * 146097);
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    t.day = doy - (153 * mp + 2) / 5 + 1;
    t.month = mp < 10 ? mp + 3 : mp - 9;
    t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

std::int64_t SecondsFromCivil(const LocalTime& t) {
    return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

}  // namespace

bool Clock::InterruptibleSleepMs(std::uint32_t ms, const std::atomic<bool>& interrupt) {
    if (interrupt.load(std::memory_order_acquire)) return false;
    SleepMs(ms);
    return true;
}

// Slices, not a condition variable: a signal handler can set the flag but cannot notify.
bool SystemClock::InterruptibleSleepMs(std::uint32_t ms, const std::atomic<bool>& interrupt) {
    const std::uint64_t end = TickMs() + ms;
    for (;;) {
        if (interrupt.load(std::memory_order_acquire)) return false;
        const std::uint64_t now = TickMs();
        if (now >= end) return true;
        SleepMs(static_cast<std::uint32_t>(std::min<std::uint64_t>(end - now, kInterruptCheckMs)));
    }
}

std::uint64_t SystemClock::TickMs() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SystemClock::SleepMs(std::uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::int64_t SystemClock::CalendarSeconds() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

LocalTime SystemClock::LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_wday,
                     tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}

Clock& DefaultClock() {
    static SystemClock clock;
    return clock;
}

FakeClock::FakeClock(LocalTime start) : m_startSeconds(SecondsFromCivil(start)) {}

void FakeClock::SleepMs(std::uint32_t ms) {
    m_sleeps.push_back(ms);
    m_nowMs += ms;
}

std::int64_t FakeClock::CalendarSeconds() {
    return m_startSeconds + static_cast<std::int64_t>(m_nowMs / 1000);
}

LocalTime FakeClock::LocalNow() { return CivilFromSeconds(CalendarSeconds()); }

FixedStartClock::FixedStartClock(Clock& base, LocalTime start)
    : m_base(base), m_startTick(base.TickMs()), m_startSeconds(SecondsFromCivil(start)) {}

std::int64_t FixedStartClock::CalendarSeconds() {
    return m_startSeconds + static_cast<std::int64_t>((m_base.TickMs() - m_startTick) / 1000);
}

LocalTime FixedStartClock::LocalNow() { return CivilFromSeconds(CalendarSeconds()); }

std::optional<LocalTime> ParseLocalTime(const char* text) {
    LocalTime t;
    char tail = 0;
    if (std::sscanf(text, "%4d-%2d-%2d %2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour,
                    &t.minute, &t.second, &tail) != 6) {
        return std::nullopt;
    }
    const LocalTime normalised = CivilFromSeconds(SecondsFromCivil(t));
    if (normalised.year != t.year || normalised.month != t.month || normalised.day != t.day ||
        t.hour > 23 || t.minute > 59 || t.second > 59 || t.hour < 0 || t.minute < 0 ||
        t.second < 0) {
        return std::nullopt;
    }
    return normalised;
}

}  // namespace zentrip
