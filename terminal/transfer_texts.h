// The texts of a transfer as the transfer dialog shows them: titles, the progress text that a
// refresh rebuilds from the engine's counters, and the lines added when the transfer has ended.
// Line ends are CR LF; the closing lines come without one, for the dialog and the command line
// to set them off each their own way.
#pragma once

#include <string>
#include <vector>

#include "terminal/xmodem.h"

namespace zentrip {

enum class TransferMode { kXmodemTransmit, kXmodemReceive, kTextTransmit };

// The title for a mode; a transmit's names the block check once the handshake has chosen it.
const char* TransferTitle(TransferMode mode, int engineMode = CXmodem::kModeUnchosen);
// What the status shows while the transfer runs.
std::string TransferProgressText(TransferMode mode, const std::string& path, const CXmodem& engine);
// The success line (with the path for a receive) or, for any other result, the error line.
std::string TransferEndLine(TransferMode mode, int result, const std::string& path);
// After a failed transfer's error line, when the device went away during it.
std::string TransferLostLine(const std::string& path, const std::string& reason);
// The lines about the file after the end line: why it could not be opened or created, where a
// failed receive kept what did arrive, and the other names of a file a receive replaced. Read
// once the engine's operation has ended.
std::vector<std::string> TransferFileLines(TransferMode mode, int result, const std::string& path,
                                           const CXmodem& engine);

}  // namespace zentrip
