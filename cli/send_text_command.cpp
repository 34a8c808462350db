// zentrip-cli send-text: raw text transmission of one file, line by line.
#include "cli/command.h"
#include "cli/transfer_runner.h"

namespace zentrip::cli {

namespace {

const char kHelp[] =
    "usage: zentrip-cli send-text [options] FILE\n\n"
    "Sends the text file FILE over the serial line line by line, without any protocol: each\n"
    "line goes out without its line end and followed by one carriage return, then Zentrip\n"
    "pauses 50 ms. Lines longer than 1021 characters go out in pieces of 1021. Nothing is\n"
    "read from the line. The progress line on a terminal shows lines sent, approximate\n"
    "characters sent and seconds; Ctrl-C, SIGTERM or SIGHUP stops after the current line.\n\n"
    "Exit status: 0 when every line was sent, 1 when cancelled, 3 when the serial device was\n"
    "lost, 6 when FILE cannot be opened, 15 when the serial port cannot be opened, 64 for a\n"
    "command line that cannot be understood.\n\noptions:\n";

}  // namespace

int RunSendText(int argc, char** argv) {
    return RunTransferCommand(argc, argv, kHelp, TransferMode::kTextTransmit);
}

}  // namespace zentrip::cli
