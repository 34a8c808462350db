// Opening a file that a transfer sends. The open never waits: a regular file and a character
// device are taken as they are; a FIFO only when a program writes to it (it has written, or
// holds it open, within kFifoWriterWaitMs); a folder or any other kind is refused. Reads then
// wait as usual.
#pragma once

#include <string>

#include "platform/input_file.h"

namespace zentrip {

inline constexpr int kFifoWriterWaitMs = 1000;

// The stream, or null with the reason in *problem (the system's text, or why the kind of file
// is refused).
FilePtr OpenTransferInput(const std::string& path, std::string* problem);

}  // namespace zentrip
