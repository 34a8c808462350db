// CModem: the Hayes modem operations on the main window's serial port: set the modem up,
// dial a text as touch tones on an open line, and hang up. The modem's replies are never
// read; every command is followed by a fixed pause on the given clock. Progress lines go to
// the host's source editor.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "link/link_host.h"
#include "link/serial_port.h"
#include "platform/clock.h"

namespace zentrip {

class CModem {
public:
    // InitModem and HangUp always talk to the modem at this rate.
    static constexpr std::uint32_t kModemRate = 9600;
    // Longest text one tone-dial command carries.
    static constexpr std::size_t kDialPiece = 20;

    CModem(CSerialPort& port, Clock& clock, LinkHost& host)
        : m_port(port), m_clock(clock), m_host(host) {}

    // Opens COM`port`, sends the set-up commands and the user's string, closes the port.
    void InitModem(int port, std::string_view modemInitString);
    // Opens COM`port`, puts the modem on-hook, closes the port.
    void HangUp(int port);
    // Dials the leading digits, "A" to "F", blanks and "*" of `text` as tones on the port as
    // the caller left it, and waits until they have been played, pumping messages every
    // 100 ms. Cuts `text` at the first other character; appends ";\r" when it fits one
    // command. Stops waiting early only when the device has vanished.
    void ToneDial(std::string& text);

private:
    void DialWait(std::size_t length);

    CSerialPort& m_port;
    Clock& m_clock;
    LinkHost& m_host;
};

}  // namespace zentrip
