// Runs one file transfer of the engine for the send, receive and send-text commands: the
// engine works on its own thread while this thread draws the progress line (when stderr is a
// terminal) and turns Ctrl-C into the engine's cancel flag. Returns the exit status.
#pragma once

#include <string>

#include "cli/port_options.h"

namespace zentrip::cli {

enum class TransferKind { kTransmit, kReceive, kText };

// The whole command: parses "[options] FILE" (printing `help` or the usage error itself),
// then runs the transfer. Returns the exit status.
int RunTransferCommand(int argc, char** argv, const char* help, TransferKind kind);

// Exit status of a command line that cannot be understood (the transfer results use 0-15).
inline constexpr int kUsageError = 64;
// "zentrip-cli COMMAND: MESSAGE" and where to find the command's help, on stderr.
void PrintUsageError(const char* command, const std::string& message);

}  // namespace zentrip::cli
