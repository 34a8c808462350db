// Virtual time, except that a wait command (an interruptible sleep) blocks for real until it
// ends or is interrupted, as a long wait in a run does: for tests of what cuts a wait short.
#pragma once

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/clock.h"

namespace zentrip {

class BlockingWaitClock final : public Clock {
public:
    std::uint64_t TickMs() override { return m_clock.TickMs(); }
    void SleepMs(std::uint32_t ms) override { m_clock.SleepMs(ms); }
    bool InterruptibleSleepMs(std::uint32_t ms, const std::atomic<bool>& interrupt) override {
        const auto begin = std::chrono::steady_clock::now();
        const auto end = begin + std::chrono::milliseconds(ms);
        while (!interrupt && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - begin);
        m_waitedMs += interrupt ? static_cast<std::uint64_t>(waited.count()) : ms;
        return !interrupt;
    }
    // How long the wait commands waited, in all: their full time unless cut short.
    std::uint64_t WaitedMs() const { return m_waitedMs; }
    std::int64_t CalendarSeconds() override { return m_clock.CalendarSeconds(); }
    LocalTime LocalNow() override { return m_clock.LocalNow(); }

private:
    VirtualClock m_clock;
    std::atomic<std::uint64_t> m_waitedMs{0};
};

}  // namespace zentrip
