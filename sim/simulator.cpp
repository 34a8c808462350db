#include "sim/simulator.h"

namespace zentrip::sim {

std::unique_ptr<Simulator> Simulator::Create(const SimOptions& options, std::string* error) {
    auto controller = SimController::Create(options.controller, error);
    if (!controller) return nullptr;
    return std::unique_ptr<Simulator>(new Simulator(options, std::move(*controller)));
}

SimOutputs Simulator::Receive(std::string_view bytes, std::uint64_t nowMs) {
    SimOutputs out;
    if (bytes.empty()) return out;
    m_transcript.push_back({nowMs, Direction::Received, std::string(bytes)});
    for (const char c : bytes) {
        const bool afterCr = m_lastWasCr;
        m_lastWasCr = c == '\r';
        if (c == '\r' || c == '\n') {
            if (c == '\n' && afterCr) continue;
            if (!m_line.empty()) Route(m_line, nowMs, out);
            m_line.clear();
        } else if (m_line.size() < kMaxLine) {
            m_line += c;
        }
    }
    return out;
}

void Simulator::NoteSent(std::string_view bytes, std::uint64_t atMs) {
    if (!bytes.empty()) m_transcript.push_back({atMs, Direction::Sent, std::string(bytes)});
}

void Simulator::Route(std::string_view line, std::uint64_t nowMs, SimOutputs& out) {
    bool toModem = m_mode == SimMode::Modem;
    if (m_mode == SimMode::Auto) {
        toModem = line.size() >= 2 && (line[0] == 'A' || line[0] == 'a') &&
                  (line[1] == 'T' || line[1] == 't');
    }
    if (toModem) {
        m_modem.Line(line, nowMs, out);
    } else {
        m_controller.Line(line, out);
    }
}

const char* SimModeName(SimMode mode) {
    switch (mode) {
        case SimMode::Controller:
            return "controller";
        case SimMode::Modem:
            return "modem";
        case SimMode::Auto:
            break;
    }
    return "auto";
}

bool ParseSimMode(std::string_view text, SimMode* mode) {
    for (const SimMode m : {SimMode::Auto, SimMode::Controller, SimMode::Modem}) {
        if (text == SimModeName(m)) {
            *mode = m;
            return true;
        }
    }
    return false;
}

}  // namespace zentrip::sim
