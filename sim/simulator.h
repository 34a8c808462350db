// One simulated device on one serial line: the Orvane controller, the Hayes modem, or both.
// It cuts the received bytes into lines (CR ends a line; so does LF, except right after a
// CR, so typed text works too; empty lines are ignored), hands each line to the device it
// is meant for and returns what that device sends back. In auto mode a line that starts with
// "AT" (any case) goes to the modem, every other line to the controller.
// The simulator keeps no clock: its drivers (a fake line in virtual time, a pty thread in
// real time) pass the time in and deliver the outputs after their delays.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "sim/controller.h"
#include "sim/hayes_modem.h"
#include "sim/sim_output.h"
#include "sim/transcript.h"

namespace zentrip::sim {

enum class SimMode { Auto, Controller, Modem };

struct SimOptions {
    SimMode mode = SimMode::Auto;
    ControllerOptions controller;
};

class Simulator {
public:
    // Null with the reason in *error when the options are unusable.
    static std::unique_ptr<Simulator> Create(const SimOptions& options, std::string* error);

    // Bytes from the line at nowMs; returns the replies with their delays.
    SimOutputs Receive(std::string_view bytes, std::uint64_t nowMs);
    // The driver tells when it actually sent reply bytes, for the transcript.
    void NoteSent(std::string_view bytes, std::uint64_t atMs);

    const Transcript& GetTranscript() const { return m_transcript; }
    const SimController& Controller() const { return m_controller; }
    const HayesModem& Modem() const { return m_modem; }

private:
    Simulator(const SimOptions& options, SimController controller)
        : m_mode(options.mode), m_controller(std::move(controller)) {}
    void Route(std::string_view line, std::uint64_t nowMs, SimOutputs& out);

    // Longer lines are kept up to this length; the rest until the line end is dropped.
    static constexpr std::size_t kMaxLine = 4096;

    SimMode m_mode;
    SimController m_controller;
    HayesModem m_modem;
    std::string m_line;
    bool m_lastWasCr = false;
    Transcript m_transcript;
};

const char* SimModeName(SimMode mode);
bool ParseSimMode(std::string_view text, SimMode* mode);

}  // namespace zentrip::sim
