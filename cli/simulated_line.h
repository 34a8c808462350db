// --simulate: the simulated Orvane controller and Hayes modem on an in-process line, in
// simulated time, so a run needs no device and its pauses cost nothing. Afterwards the
// transcript says what the devices received and sent, one line of bytes per transcript line.
#pragma once

#include <memory>
#include <string>

#include "platform/clock.h"
#include "sim/fake_serial_line.h"
#include "sim/simulator.h"

namespace zentrip::cli {

class SimulatedLine {
public:
    // Null with the reason in *error when the simulator cannot be made.
    static std::unique_ptr<SimulatedLine> Create(std::string* error);

    Clock& GetClock() { return m_clock; }
    SerialDeviceOpener& Opener() { return m_opener; }
    // "<ms> rx|tx <bytes>" lines (escaped bytes, LF ends), cut after each line end.
    std::string TranscriptText() const;

private:
    explicit SimulatedLine(std::shared_ptr<sim::Simulator> simulator);

    VirtualClock m_clock;
    FakeSerialLine m_line;
    FakeSerialOpener m_opener;
    std::shared_ptr<sim::Simulator> m_simulator;
};

}  // namespace zentrip::cli
