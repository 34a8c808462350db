#include "platform/serial_custom_rate.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace zentrip {

bool SetCustomRate(int fd, std::uint32_t rate) {
    termios2 tio{};
    if (ioctl(fd, TCGETS2, &tio) != 0) return false;
    tio.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = rate;
    tio.c_ospeed = rate;
    if (ioctl(fd, TCSETS2, &tio) != 0) return false;
    // Drivers round or clamp what they cannot do; only an exact match counts as set.
    termios2 got{};
    return ioctl(fd, TCGETS2, &got) == 0 && got.c_ospeed == rate;
}

}  // namespace zentrip
