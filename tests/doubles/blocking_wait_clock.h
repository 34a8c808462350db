// Virtual time, except that a wait command (an interruptible sleep) blocks for real until it
// ends or is interrupted, as a long wait in a run does: for tests of what cuts a wait short.
#pragma once

#include <chrono>
#include <thread>

#include "platform/clock.h"

namespace zentrip {

class BlockingWaitClock final : public Clock {
public:
    std::uint64_t TickMs() override { return m_clock.TickMs(); }
    void SleepMs(std::uint32_t ms) override { m_clock.SleepMs(ms); }
    bool InterruptibleSleepMs(std::uint32_t ms, const std::atomic<bool>& interrupt) override {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!interrupt && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return !interrupt;
    }
    std::int64_t CalendarSeconds() override { return m_clock.CalendarSeconds(); }
    LocalTime LocalNow() override { return m_clock.LocalNow(); }

private:
    FakeClock m_clock;
};

}  // namespace zentrip
