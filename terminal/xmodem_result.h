// The result codes shared by XMODEM transmit, receive and text transmission, and their texts.
#pragma once

namespace zentrip {

enum XmodemResult : int {
    kXmodemSuccess = 0,
    kXmodemCancelledByReceiver = 1,
    kXmodemNoResponse = 2,
    kXmodemTooManyRetries = 3,
    kXmodemNoBlockResponse = 4,
    kXmodemNoEotAck = 5,
    kXmodemCannotOpenTransmitFile = 6,
    kXmodemCannotCreateReceiveFile = 7,
    kXmodemTooManyReceiveTries = 8,
    kXmodemWriteError = 9,
    kXmodemUnknownError = 10,
    kXmodemNoPort = 15,  // has no text of its own
};

// The text of codes 0 to 10; "Invalid error code" for any other.
const char* XmodemResultText(int code);

}  // namespace zentrip
