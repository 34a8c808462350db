// zentrip-cli receive: XMODEM receive of one file in CRC mode.
#include "cli/command.h"
#include "cli/transfer_runner.h"

namespace zentrip::cli {

namespace {

const char kHelp[] =
    "usage: zentrip-cli receive [options] FILE\n\n"
    "Receives a file over the serial line with XMODEM in CRC-16 mode into FILE (created or\n"
    "truncated). Start the sender first (for example 'sx FILE' on the other machine): Zentrip\n"
    "asks for the first block with 'C' and gives up after 11 tries about 2 seconds apart.\n"
    "FILE receives whole 128-byte blocks, so it keeps the sender's padding. A block sent again\n"
    "because an acknowledgement was lost is acknowledged and written once. The progress line\n"
    "on a terminal shows blocks received, blocks rejected, bytes and seconds; Ctrl-C, SIGTERM\n"
    "or SIGHUP cancels\n"
    "(the sender is told with CAN) and leaves the partial FILE in place.\n\n"
    "Exit status: 0 on success, otherwise the transfer's error code (7 cannot create FILE,\n"
    "8 too many failed tries or cancelled, 9 error writing FILE, 15 cannot open the serial\n"
    "port), 64 for a command line that cannot be understood.\n\noptions:\n";

int Run(int argc, char** argv) {
    return RunTransferCommand(argc, argv, kHelp, TransferKind::kReceive);
}

const CommandRegistrar registrar({"receive", "receive a file with XMODEM", Run});

}  // namespace

}  // namespace zentrip::cli
