#include "platform/serial_line_mode.h"

namespace zentrip {

namespace {

constexpr tcflag_t kInputOff =
    IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY;
constexpr tcflag_t kLocalOff = ECHO | ECHONL | ICANON | ISIG | IEXTEN;
constexpr tcflag_t kControlOff = CSIZE | CSTOPB | PARENB | CRTSCTS;
constexpr tcflag_t kControlOn = CS8 | CLOCAL | CREAD;

}  // namespace

void MakeRawEightNOne(termios& tio) {
    tio.c_iflag &= ~kInputOff;
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~kLocalOff;
    tio.c_cflag &= ~kControlOff;
    tio.c_cflag |= kControlOn;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
}

bool IsRawEightNOne(const termios& tio) {
    return (tio.c_iflag & kInputOff) == 0 && (tio.c_oflag & OPOST) == 0 &&
           (tio.c_lflag & kLocalOff) == 0 &&
           (tio.c_cflag & (kControlOff | kControlOn)) == kControlOn && tio.c_cc[VMIN] == 0 &&
           tio.c_cc[VTIME] == 0;
}

}  // namespace zentrip
