// The texts of a transfer as the transfer dialog shows them: titles, the progress text that a
// refresh rebuilds from the engine's counters, and the line added when the transfer has ended.
// Line ends are CR LF.
#pragma once

#include <string>

#include "terminal/xmodem.h"

namespace zentrip {

// The dialog's modes; any other number is treated as text where a mode must be chosen.
enum TransferMode : int { kXmodemTransmitMode = 1, kXmodemReceiveMode = 2, kTextTransmitMode = 3 };

// The title for a mode; a transmit's names the block check once the handshake has chosen it.
const char* TransferTitle(int mode, int engineMode = CXmodem::kModeUnchosen);
// What the status shows while the transfer runs; empty for a mode that has no progress text.
std::string TransferProgressText(int mode, const std::string& path, const CXmodem& engine);
// The success line (with the path for a receive) or, for any other result, the error line.
std::string TransferEndLine(int mode, int result, const std::string& path);

}  // namespace zentrip
