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

std::tm SystemLocalTime(std::int64_t seconds) {
    const auto time = static_cast<std::time_t>(seconds);
    std::tm tm{};
    localtime_r(&time, &tm);
    return tm;
}

LocalTime LocalTimeAt(std::int64_t seconds) {
    const std::tm tm = SystemLocalTime(seconds);
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_wday,
                     tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}

bool SameWallTime(const LocalTime& a, const LocalTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second;
}

// Where a local time that does not occur lands: moved on by the clock change, as mktime does.
std::int64_t StartSeconds(const LocalTime& start) {
    if (const auto seconds = LocalTimeToSeconds(start)) return *seconds;
    const std::int64_t asUtc = SecondsFromCivil(start);
    return asUtc - SystemLocalTime(asUtc - 86400).tm_gmtoff;
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

LocalTime SystemClock::LocalNow() { return LocalTimeAt(CalendarSeconds()); }

Clock& DefaultClock() {
    static SystemClock clock;
    return clock;
}

VirtualClock::VirtualClock(LocalTime start) : m_startSeconds(StartSeconds(start)) {}

VirtualClock::VirtualClock(std::int64_t startCalendarSeconds)
    : m_startSeconds(startCalendarSeconds) {}

void VirtualClock::SleepMs(std::uint32_t ms) {
    m_sleeps.push_back(ms);
    m_nowMs += ms;
}

std::int64_t VirtualClock::CalendarSeconds() {
    return m_startSeconds + static_cast<std::int64_t>(m_nowMs / 1000);
}

LocalTime VirtualClock::LocalNow() { return LocalTimeAt(CalendarSeconds()); }

FixedStartClock::FixedStartClock(Clock& base, LocalTime start)
    : m_base(base), m_startTick(base.TickMs()), m_startSeconds(StartSeconds(start)) {}

std::int64_t FixedStartClock::CalendarSeconds() {
    return m_startSeconds + static_cast<std::int64_t>((m_base.TickMs() - m_startTick) / 1000);
}

LocalTime FixedStartClock::LocalNow() { return LocalTimeAt(CalendarSeconds()); }

std::optional<std::int64_t> LocalTimeToSeconds(const LocalTime& time) {
    // Each offset from UTC in force within a day of the time is tried; a day is more than any
    // offset, so the offsets before and after a clock change nearby are among them.
    const std::int64_t asUtc = SecondsFromCivil(time);
    std::optional<std::int64_t> earliest;
    for (const std::int64_t probe : {asUtc - 86400, asUtc, asUtc + 86400}) {
        const std::int64_t candidate = asUtc - SystemLocalTime(probe).tm_gmtoff;
        if (SameWallTime(LocalTimeAt(candidate), time) && (!earliest || candidate < *earliest)) {
            earliest = candidate;
        }
    }
    return earliest;
}

std::optional<LocalTime> ParseLocalTime(const char* text, std::string* why) {
    const auto refuse = [why](const char* reason) -> std::optional<LocalTime> {
        if (why) *why = reason;
        return std::nullopt;
    };
    LocalTime t;
    char tail = 0;
    if (std::sscanf(text, "%4d-%2d-%2d %2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour,
                    &t.minute, &t.second, &tail) != 6) {
        return refuse("expected \"YYYY-MM-DD HH:MM:SS\"");
    }
    const LocalTime normalised = CivilFromSeconds(SecondsFromCivil(t));
    if (!SameWallTime(normalised, t)) return refuse("no such date or time");
    if (!LocalTimeToSeconds(t)) {
        return refuse("this local time does not occur: the clocks are set forward over it");
    }
    return normalised;
}

}  // namespace zentrip
