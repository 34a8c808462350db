#include "terminal/term_texts.h"

namespace zentrip {

namespace {

std::string PortAndRate(int comPort, std::uint32_t rate) {
    return "COM" + std::to_string(comPort) + " at " + std::to_string(rate) + " bps";
}

}  // namespace

std::string TerminalOpenTitle(int comPort, std::uint32_t rate) {
    return "Mini Terminal open to " + PortAndRate(comPort, rate) + ".";
}

std::string TerminalFailedTitle(int comPort, std::uint32_t rate, const std::string& reason) {
    std::string title =
        "Mini Terminal: Failed to open serial port " + PortAndRate(comPort, rate) + ".";
    return reason.empty() ? title : title + " " + reason + ".";
}

std::string DeviceLostText(const std::string& path, const std::string& reason) {
    return "serial device " + path + " lost (" + reason + ")";
}

std::string TerminalLostTitle(const std::string& path, const std::string& reason) {
    return "Mini Terminal: " + DeviceLostText(path, reason) + ".";
}

std::string TerminalOtherDeviceTitle(const std::string& path, const std::string& reason) {
    return "Mini Terminal: " + DeviceLostText(path, reason) +
           "; a different device appeared at that path and is left alone.";
}

std::string TerminalReturnedTitle(int comPort, std::uint32_t rate, const std::string& path) {
    return "Mini Terminal open to " + PortAndRate(comPort, rate) + " (serial device " + path +
           " is back).";
}

std::string LoggingNote(const std::string& path) { return " Logging to " + path + "."; }

std::string LoggingStoppedText(const std::string& path, const std::string& reason) {
    return "Logging to " + path + " stopped (" + reason + ").";
}

std::string LoggingStoppedNote(const std::string& path, const std::string& reason) {
    return " " + LoggingStoppedText(path, reason);
}

}  // namespace zentrip
