// zentrip-cli receive: XMODEM receive of one file in CRC mode.
#include "cli/command.h"
#include "cli/transfer_runner.h"

namespace zentrip::cli {

namespace {

const char kHelp[] =
    "usage: zentrip-cli receive [options] FILE\n\n"
    "Receives a file over the serial line with XMODEM in CRC-16 mode into FILE. Start the\n"
    "sender first (for example 'sx FILE' on the other machine): Zentrip asks for the first\n"
    "block with 'C' and gives up after 11 tries about 2 seconds apart. FILE receives whole\n"
    "128-byte blocks, so it keeps the sender's padding. A block sent again because an\n"
    "acknowledgement was lost is acknowledged and written once. The progress line on a\n"
    "terminal shows blocks received, blocks rejected, bytes and seconds; Ctrl-C, SIGTERM or\n"
    "SIGHUP cancels (the sender is told with CAN).\n\n"
    "The blocks go to a hidden file beside FILE, which replaces FILE only when the whole file\n"
    "has arrived. After a failure or a cancel FILE is untouched and what did arrive is kept as\n"
    "FILE.part, or as the next free FILE.part.1, FILE.part.2, ... (stderr says where; nothing\n"
    "is kept when nothing arrived). A replaced FILE loses any set-user-ID or set-group-ID bit;\n"
    "its other hard links keep the old content. A FIFO is written only while a program reads\n"
    "it. A FILE that takes no more ends the transfer with CAN to the sender.\n\n"
    "Exit status: 0 on success, otherwise the transfer's error code (7 cannot create FILE,\n"
    "8 too many failed tries, cancelled or the serial device lost, 9 error writing FILE,\n"
    "15 cannot open the serial port), 64 for a command line that cannot be understood.\n\n"
    "options:\n";

}  // namespace

int RunReceive(int argc, char** argv) {
    return RunTransferCommand(argc, argv, kHelp, TransferMode::kXmodemReceive);
}

}  // namespace zentrip::cli
