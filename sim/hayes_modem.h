// The simulated Hayes modem: the command set Zentrip sends ("AT", "ATS11=150", "ATS8=1",
// "ATH1", "ATDT ...;", "ATH0") and the usual harmless settings a user's init string holds
// (E, V, Q, M, L, X, B, C, N, W, I, Z, &x). It keeps the S registers and the hook, records
// every dial command with the touch tones it would play, and answers "OK\r\n" or
// "ERROR\r\n" (an "ATSn?" query first gives the value as "%03d\r\n"). It does not echo
// commands (as after "ATE0") and emulates no carrier: a dial is a tone dial on the open line.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/sim_output.h"

namespace zentrip::sim {

struct DialRecord {
    std::uint64_t atMs;
    std::string command;        // the whole command line as received, e.g. "ATDT 1234 *;"
    std::string tones;          // the DTMF digits it plays: 0-9, A-D, * and #, in upper case
    bool returnsToCommandMode;  // the dial string ended in ";"
    std::uint32_t playMs;       // tone on and off per digit (S11 each), plus S8 s per comma
};

class HayesModem {
public:
    HayesModem() { Reset(); }

    // One received command line, without its CR.
    void Line(std::string_view line, std::uint64_t nowMs, SimOutputs& out);

    int Register(int n) const {
        return n >= 0 && n < 256 ? m_registers[static_cast<std::size_t>(n)] : -1;
    }
    bool OffHook() const { return m_offHook; }
    const std::vector<DialRecord>& Dials() const { return m_dials; }
    // All tone digits played so far, in order.
    std::string Tones() const;
    // Every command line received, in order, and how many were refused.
    const std::vector<std::string>& Commands() const { return m_commands; }
    int Errors() const { return m_errors; }

private:
    void Reset();
    bool Execute(std::string_view line, std::uint64_t nowMs, std::string& info);
    void Dial(std::string_view line, std::string_view dialString, std::uint64_t nowMs);

    std::array<int, 256> m_registers{};
    bool m_offHook = false;
    std::vector<DialRecord> m_dials;
    std::vector<std::string> m_commands;
    int m_errors = 0;
};

}  // namespace zentrip::sim
