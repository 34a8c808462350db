#include "cli/simulated_line.h"

#include "sim/fake_line_simulator.h"
#include "sim/transcript.h"

namespace zentrip::cli {

std::unique_ptr<SimulatedLine> SimulatedLine::Create(std::string* error) {
    std::shared_ptr<sim::Simulator> simulator = sim::Simulator::Create({}, error);
    if (!simulator) return nullptr;
    return std::unique_ptr<SimulatedLine>(new SimulatedLine(std::move(simulator)));
}

// The simulated clock starts at the local time now, so a time-set line carries today's date.
SimulatedLine::SimulatedLine(std::shared_ptr<sim::Simulator> simulator)
    : m_clock(DefaultClock().CalendarSeconds()),
      m_line(m_clock),
      m_opener(m_line),
      m_simulator(std::move(simulator)) {
    sim::AttachSimulator(m_line, m_simulator);
}

std::string SimulatedLine::TranscriptText() const {
    // The port writes a direct-mode line byte by byte; joined, each line of traffic reads
    // as one entry, stamped with the time of its first byte.
    std::string text;
    sim::TranscriptEntry pending{};
    auto flush = [&] {
        if (!pending.bytes.empty()) text += sim::FormatTranscriptLine(pending) + "\n";
        pending.bytes.clear();
    };
    for (const auto& entry : m_simulator->GetTranscript()) {
        for (std::size_t i = 0; i < entry.bytes.size(); ++i) {
            if (!pending.bytes.empty() && pending.direction != entry.direction) flush();
            if (pending.bytes.empty()) {
                pending.ms = entry.ms;
                pending.direction = entry.direction;
            }
            const char ch = entry.bytes[i];
            pending.bytes += ch;
            const bool lfFollows = i + 1 < entry.bytes.size() && entry.bytes[i + 1] == '\n';
            if (ch == '\n' || (ch == '\r' && !lfFollows)) flush();
        }
    }
    flush();
    return text;
}

}  // namespace zentrip::cli
