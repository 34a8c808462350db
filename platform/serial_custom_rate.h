// Rates outside the standard B-constants, set through the kernel's termios2 (BOTHER). Kept in
// its own translation unit because <asm/termbits.h> clashes with the C library's <termios.h>.
#pragma once

#include <cstdint>

namespace zentrip {

// Asks the driver of the open terminal fd for exactly `rate` bits per second in both
// directions, leaving every other setting alone. False when the driver refuses it.
bool SetCustomRate(int fd, std::uint32_t rate);

}  // namespace zentrip
