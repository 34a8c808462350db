#include "sim/fake_line_simulator.h"

namespace zentrip::sim {

void AttachSimulator(FakeSerialLine& line, std::shared_ptr<Simulator> simulator) {
    line.SetResponder([simulator](std::string_view written, FakeSerialLine& fake) {
        const std::uint64_t now = fake.GetClock().TickMs();
        for (const auto& output : simulator->Receive(written, now)) {
            const std::uint64_t due = now + output.delayMs;
            simulator->NoteSent(output.bytes, due);
            fake.Feed(output.bytes, due);
        }
    });
}

}  // namespace zentrip::sim
