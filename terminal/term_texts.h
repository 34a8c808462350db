// The texts the Mini Terminal shows about its port, in the window's title and on the console.
#pragma once

#include <cstdint>
#include <string>

namespace zentrip {

std::string TerminalOpenTitle(int comPort, std::uint32_t rate);
// reason: the device and why it did not open, added after the failure's own text.
std::string TerminalFailedTitle(int comPort, std::uint32_t rate, const std::string& reason);
// "serial device /dev/ttyUSB0 lost (Input/output error)"
std::string DeviceLostText(const std::string& path, const std::string& reason);
std::string TerminalLostTitle(const std::string& path, const std::string& reason);
// The lost title once a different device appeared at the lost one's path.
std::string TerminalOtherDeviceTitle(const std::string& path, const std::string& reason);
// The open title once a lost device came back by itself.
std::string TerminalReturnedTitle(int comPort, std::uint32_t rate, const std::string& path);
// Added to the title while received bytes go to a log file.
std::string LoggingNote(const std::string& path);
// "Logging to PATH stopped (REASON).", when the log file stopped taking bytes.
std::string LoggingStoppedText(const std::string& path, const std::string& reason);
// That text, added to the title instead of the logging note.
std::string LoggingStoppedNote(const std::string& path, const std::string& reason);

}  // namespace zentrip
