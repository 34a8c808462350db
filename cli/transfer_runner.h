// Runs one file transfer of the engine for the send, receive and send-text commands: the
// engine works on its own thread while this thread draws the progress line (when stderr is a
// terminal) and turns Ctrl-C into the engine's cancel flag. Returns the exit status.
#pragma once

#include <string>

#include "cli/command.h"
#include "cli/port_options.h"

namespace zentrip::cli {

enum class TransferKind { kTransmit, kReceive, kText };

// The whole command: parses "[options] FILE" (printing `help` or the usage error itself),
// then runs the transfer. Returns the exit status.
int RunTransferCommand(int argc, char** argv, const char* help, TransferKind kind);

}  // namespace zentrip::cli
