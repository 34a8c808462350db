// Test support for the programming run: a run wired to a recording fake line in virtual time
// with the in-memory host.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "link/modem_fixture.h"
#include "session/programmer.h"
#include "sim/fake_serial_line.h"
#include "tests/doubles/memory_run_host.h"
#include "tests/support/temp_dir.h"

namespace zentrip::testing {

// Presses Stop when a pause of the given length begins, as a user would during a wait
// command; every reading and pause goes to the wrapped clock.
class StopOnPauseClock : public Clock {
public:
    StopOnPauseClock(Clock& base, std::uint32_t pauseMs) : m_base(base), m_pauseMs(pauseMs) {}
    void SetProgrammer(CProgrammer* programmer) { m_programmer = programmer; }
    std::uint64_t TickMs() override { return m_base.TickMs(); }
    void SleepMs(std::uint32_t ms) override {
        if (ms == m_pauseMs && m_programmer) m_programmer->StopProgramming();
        m_base.SleepMs(ms);
    }
    std::int64_t CalendarSeconds() override { return m_base.CalendarSeconds(); }
    LocalTime LocalNow() override { return m_base.LocalNow(); }

private:
    Clock& m_base;
    std::uint32_t m_pauseMs;
    CProgrammer* m_programmer = nullptr;
};

class VirtualRun : public ::testing::Test {
protected:
    void SetUp() override {
        programmer.SetPort(2);
        programmer.SetRate(2400);
    }
    Writes Recorded() const { return RecordedWrites(line); }
    void Run(const std::string& program) {
        programmer.SetWorkingFile(folder.Write("program.orv", program));
        programmer.ProgramFromFile();
    }
    std::string Banner() const {
        return "\r\nBeginning programming from " + programmer.WorkingFile() + "\r\n\r\n";
    }

    TempDir folder;
    VirtualClock clock;
    FakeSerialLine line{clock};
    FakeSerialOpener opener{line};
    MemoryRunHost host{&clock};
    CProgrammer programmer{host, clock, opener};
};

}  // namespace zentrip::testing
