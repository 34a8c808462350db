// Test support for the modem and the remote session: a CModem on a recording fake line in
// virtual time, with a host whose editor keeps the text and which notes the virtual
// millisecond of every message pump.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "link/link_host.h"
#include "link/modem.h"
#include "link/serial_port.h"
#include "platform/clock.h"
#include "sim/fake_serial_line.h"
#include "text/memory_text_sink.h"

namespace zentrip::testing {

// What went over the line: (virtual millisecond, bytes) for each write.
using Writes = std::vector<std::pair<std::uint64_t, std::string>>;

inline Writes RecordedWrites(const FakeSerialLine& line) {
    Writes out;
    for (const auto& w : line.Writes()) out.emplace_back(w.tickMs, w.bytes);
    return out;
}

class TestLinkHost : public LinkHost {
public:
    explicit TestLinkHost(Clock& clock) : m_clock(clock) {}
    TextSink& SourceEditor() override { return editor; }
    void PumpMessages() override { pumps.push_back(m_clock.TickMs()); }

    MemoryTextSink editor;
    std::vector<std::uint64_t> pumps;

private:
    Clock& m_clock;
};

class ModemLineTest : public ::testing::Test {
protected:
    Writes Recorded() const { return RecordedWrites(line); }

    VirtualClock clock;
    FakeSerialLine line{clock};
    FakeSerialOpener opener{line};
    CSerialPort port{opener};
    TestLinkHost host{clock};
    CModem modem{port, clock, host};
};

}  // namespace zentrip::testing
