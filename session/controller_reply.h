// SendLineDirect: one program line to a controller on the RS232 cable. Sends the line's
// command characters and CR, consumes the controller's echo up to its LF and judges the
// reply line that follows: "OK" accepts, anything else is a complaint, too little is no
// answer. The port is polled; every pause goes through the clock.
#pragma once

#include <string>
#include <string_view>

#include "link/serial_port.h"
#include "platform/clock.h"

namespace zentrip {

inline constexpr std::string_view kNoAnswerVerdict = "Error: Controller failed to respond.";

// 1 when the line was accepted or held nothing to send; 0 otherwise, with the verdict text
// in *verdict ("Error: Controller failed to respond." or "Controller Reported <reply>").
int SendLineDirect(CSerialPort& port, Clock& clock, std::string_view line, std::string* verdict);

}  // namespace zentrip
