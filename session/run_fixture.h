// Test support for the programming run: a private folder for program files, and a run
// wired to a recording fake line in virtual time with the in-memory host.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/fake_serial_line.h"
#include "session/memory_run_host.h"
#include "session/programmer.h"

namespace zentrip::testing {

using Writes = std::vector<std::pair<std::uint64_t, std::string>>;

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zentrip-test-XXXXXX").string();
        m_path = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string Write(const std::string& name, const std::string& content) const {
        const std::string path = m_path + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

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
    Writes Recorded() const {
        Writes out;
        for (const auto& w : line.Writes()) out.emplace_back(w.tickMs, w.bytes);
        return out;
    }
    void Run(const std::string& program) {
        programmer.SetWorkingFile(folder.Write("program.orv", program));
        programmer.ProgramFromFile();
    }
    std::string Banner() const {
        return "\r\nBeginning programming from " + programmer.WorkingFile() + "\r\n\r\n";
    }

    ScratchFolder folder;
    FakeClock clock;
    FakeSerialLine line{clock};
    FakeSerialOpener opener{line};
    MemoryRunHost host{&clock};
    CProgrammer programmer{host, clock, opener};
};

}  // namespace zentrip::testing
