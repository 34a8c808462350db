#include "terminal/xmodem_result.h"

namespace zentrip {

const char* XmodemResultText(int code) {
    static const char* const kTexts[] = {
        "Transfer successful",
        "Transfer cancelled by receiver",
        "No response from receiver",
        "Too many retries or aborted during transmission",
        "No response from client after block sent",
        "Remote client did not ACKnowledge to close connection",
        "Unable to open transmit file",
        "Unable to create receive file",
        "Too many tries or aborted during reception",
        "Error writing to receive file",
        "Unknown error",
    };
    if (code < 0 || code > kXmodemUnknownError) return "Invalid error code";
    return kTexts[code];
}

}  // namespace zentrip
