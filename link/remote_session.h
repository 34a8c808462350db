// The remote session: a "#session" line makes the modem call the controller, the control
// operator password asks it for connect time, and the run later renews and closes that time
// with commands sent as touch tones. The session's flags and password live in SessionState,
// which the programming run owns and reads.
#pragma once

#include <string>
#include <string_view>

#include "link/link_host.h"
#include "link/modem.h"
#include "link/serial_port.h"
#include "platform/clock.h"

namespace zentrip {

struct SessionState {
    static constexpr std::size_t kPasswordLength = 31;
    static constexpr std::size_t kNumberLength = 63;
    static constexpr std::size_t kMinutesLength = 31;

    // The run is a remote session: renew time every 120 s, close at the end.
    bool m_remoteSession = false;
    // A line to the controller is open (off-hook); program lines are dialled only then.
    bool m_sessionInProgress = false;
    // The control operator password, at most kPasswordLength characters.
    std::string m_password;
};

// "%s 79 030 *": more connect time.
std::string AdditionalTimeCommand(const SessionState& state);
// "%s 79 001 *": end the session.
std::string CloseSessionCommand(const SessionState& state);

// Handles a "#session" line (as the run read it, with its CR): dials the controller, waits
// for it to answer, requests the connect time and marks the session open. A refused line
// (session already open, password or number missing or too long) sends nothing and leaves
// the flags as they were. Every text goes to the source editor.
void OpenRemoteSession(std::string_view line, SessionState& state, CSerialPort& port, CModem& modem,
                       Clock& clock, LinkHost& host);

}  // namespace zentrip
