// The one line mode every port runs in: raw bytes both ways, 8 data bits, no parity, one stop
// bit, no flow control, the receiver on and modem lines ignored, reads that return at once.
// Kept beside the device so the check of what a device took can be tried on any settings.
#pragma once

#include <termios.h>

namespace zentrip {

// What one character takes on the line in this mode: a start bit, 8 data bits, a stop bit.
constexpr unsigned kBitsPerCharacter = 10;

// Puts the mode into tio; the rate and the special characters stay as they are.
void MakeRawEightNOne(termios& tio);
// Whether settings read back from a device are that mode (the rate aside).
bool IsRawEightNOne(const termios& tio);

}  // namespace zentrip
