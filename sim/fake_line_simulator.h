// Runs a Simulator in virtual time as the responder of a FakeSerialLine: whatever a port
// writes is answered at once, and a late answer becomes readable only when the virtual clock
// reaches it. The line shares ownership of the simulator, so the test may keep a handle.
#pragma once

#include <memory>

#include "sim/fake_serial_line.h"
#include "sim/simulator.h"

namespace zentrip::sim {

void AttachSimulator(FakeSerialLine& line, std::shared_ptr<Simulator> simulator);

}  // namespace zentrip::sim
