// A pseudo-terminal pair standing in for a serial cable: a CSerialPort opens SlavePath(), and
// the master end plays the device on the other side. Used by tests, benches and the simulator.
// The pair starts in raw mode; the object keeps its own slave descriptor open so the master
// end stays usable while ports open and close the slave.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zentrip {

class PseudoTerminal {
public:
    PseudoTerminal();  // check Ok()
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool Ok() const { return m_master >= 0; }
    const std::string& SlavePath() const { return m_slavePath; }
    int MasterFd() const { return m_master; }
    // The pair's own slave descriptor, for looking at the line settings a port applied.
    int SlaveFd() const { return m_slave; }

    // Sends all bytes from the master end, waiting up to timeoutMs at a time for room.
    bool WriteMaster(std::string_view bytes, int timeoutMs = 5000);
    // Collects what the slave side sent until n bytes came or timeoutMs passed without any.
    std::string ReadMaster(std::size_t n, int timeoutMs = 2000);
    // Pulls the cable: closes the master end, so the slave side hangs up.
    void CloseMaster();

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

}  // namespace zentrip
