// The one way the logic reads time and pauses. Tests and dry runs (the preview, expand, the
// simulated line) hand the logic a VirtualClock, whose sleeps advance virtual time at once, so
// a 15-second pause costs nothing and can still be asserted.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zentrip {

// A broken-down local date and time, as the controller's clock commands need it.
struct LocalTime {
    int year = 1970;  // full year, e.g. 2027
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int weekday = 4;  // 0 Sunday .. 6 Saturday
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds from an arbitrary start; never goes backwards.
    virtual std::uint64_t TickMs() = 0;
    // Blocks the calling thread for ms milliseconds.
    virtual void SleepMs(std::uint32_t ms) = 0;
    // The same, cut short once `interrupt` is set (by another thread or a signal handler).
    // False when it was. Here the flag is looked at only before the sleep, as virtual time
    // cannot be interrupted halfway; the system clock looks every kInterruptCheckMs.
    virtual bool InterruptibleSleepMs(std::uint32_t ms, const std::atomic<bool>& interrupt);
    // Seconds since 1970-01-01 UTC.
    virtual std::int64_t CalendarSeconds() = 0;
    virtual LocalTime LocalNow() = 0;
};

// The computer's own clock.
class SystemClock final : public Clock {
public:
    static constexpr std::uint32_t kInterruptCheckMs = 50;

    std::uint64_t TickMs() override;
    void SleepMs(std::uint32_t ms) override;
    bool InterruptibleSleepMs(std::uint32_t ms, const std::atomic<bool>& interrupt) override;
    std::int64_t CalendarSeconds() override;
    LocalTime LocalNow() override;
};

// The process-wide system clock.
Clock& DefaultClock();

// Virtual time for tests and dry runs: SleepMs advances the tick count and the calendar at once
// and records the pause. The calendar moves on in real seconds from the start and reads as
// local time the way the system's does, daylight-saving changes included.
class VirtualClock final : public Clock {
public:
    // A local start time that occurs twice is the earlier one (see LocalTimeToSeconds).
    explicit VirtualClock(LocalTime start = {});
    explicit VirtualClock(std::int64_t startCalendarSeconds);

    std::uint64_t TickMs() override { return m_nowMs; }
    void SleepMs(std::uint32_t ms) override;
    std::int64_t CalendarSeconds() override;
    LocalTime LocalNow() override;

    void AdvanceMs(std::uint64_t ms) { m_nowMs += ms; }
    const std::vector<std::uint32_t>& Sleeps() const { return m_sleeps; }

private:
    std::uint64_t m_nowMs = 0;
    std::int64_t m_startSeconds;
    std::vector<std::uint32_t> m_sleeps;
};

// Real pauses, but a local time fixed at a given moment and advancing with the real clock;
// `zentrip-cli expand --time` uses it.
class FixedStartClock final : public Clock {
public:
    FixedStartClock(Clock& base, LocalTime start);

    std::uint64_t TickMs() override { return m_base.TickMs(); }
    void SleepMs(std::uint32_t ms) override { m_base.SleepMs(ms); }
    bool InterruptibleSleepMs(std::uint32_t ms, const std::atomic<bool>& interrupt) override {
        return m_base.InterruptibleSleepMs(ms, interrupt);
    }
    std::int64_t CalendarSeconds() override;
    LocalTime LocalNow() override;

private:
    Clock& m_base;
    std::uint64_t m_startTick;
    std::int64_t m_startSeconds;
};

// Seconds since 1970-01-01 UTC of a local date and time in the system's time zone. Of a time
// that occurs twice (clocks set back) the earlier; empty for one that does not occur (clocks
// set forward past it).
std::optional<std::int64_t> LocalTimeToSeconds(const LocalTime& time);

// Parses "YYYY-MM-DD HH:MM:SS", a local time that occurs in the system's time zone; the
// weekday is computed. Empty when it is not, with the reason in *why.
std::optional<LocalTime> ParseLocalTime(const char* text, std::string* why = nullptr);

}  // namespace zentrip
