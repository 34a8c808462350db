// zentrip-cli send: XMODEM transmit of one file.
#include "cli/command.h"
#include "cli/transfer_runner.h"

namespace zentrip::cli {

namespace {

const char kHelp[] =
    "usage: zentrip-cli send [options] FILE\n\n"
    "Sends FILE over the serial line with XMODEM: 128-byte blocks, the last one padded with\n"
    "zero bytes, each checked by an 8-bit checksum or by CRC-16 as the receiver asks with its\n"
    "first byte (NAK or 'C'). Start the receiver first (for example 'rx -c FILE' on the other\n"
    "machine); Zentrip waits up to 90 seconds for it. The progress line on a terminal shows\n"
    "blocks sent, blocks rejected, bytes sent and seconds; Ctrl-C, SIGTERM or SIGHUP cancels.\n\n"
    "Exit status: 0 on success, otherwise the transfer's error code (1 cancelled by the\n"
    "receiver, 2 no response, 3 too many retries, cancelled or the serial device lost, 4 no\n"
    "response after a block, 5 end not acknowledged, 6 cannot open FILE, 15 cannot open the\n"
    "serial port), 64 for a command line that cannot be understood.\n\noptions:\n";

}  // namespace

int RunSend(int argc, char** argv) {
    return RunTransferCommand(argc, argv, kHelp, TransferMode::kXmodemTransmit);
}

}  // namespace zentrip::cli
