// zentrip-cli send, receive and send-text: one file over the serial line, with XMODEM or as
// text, each a help text and a mode for the one transfer runner.
#include "cli/command.h"
#include "cli/transfer_runner.h"

namespace zentrip::cli {

namespace {

const char kSendHelp[] =
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

const char kReceiveHelp[] =
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

const char kSendTextHelp[] =
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

int RunSend(int argc, char** argv) {
    return RunTransferCommand(argc, argv, kSendHelp, TransferMode::kXmodemTransmit);
}

int RunReceive(int argc, char** argv) {
    return RunTransferCommand(argc, argv, kReceiveHelp, TransferMode::kXmodemReceive);
}

int RunSendText(int argc, char** argv) {
    return RunTransferCommand(argc, argv, kSendTextHelp, TransferMode::kTextTransmit);
}

}  // namespace zentrip::cli
