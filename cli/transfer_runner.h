// Runs one file transfer for the send, receive and send-text commands: the TransferJob works
// on its own thread while this thread draws the progress line (when stderr is a terminal) and
// turns Ctrl-C into the job's cancel. Returns the exit status.
#pragma once

#include <string>

#include "cli/command.h"
#include "cli/port_options.h"
#include "terminal/transfer_texts.h"

namespace zentrip::cli {

// The whole command: parses "[options] FILE" (printing `help` or the usage error itself),
// then runs the transfer. Returns the exit status.
int RunTransferCommand(int argc, char** argv, const char* help, TransferMode mode);

}  // namespace zentrip::cli
