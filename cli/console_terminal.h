// The Mini Terminal on a text console: received bytes go through the terminal's display rules
// to stdout (and unchanged to the log), typed bytes go to the line as the window sends them,
// Ctrl-] ends it. A device that vanishes is reported and waited for: its path is looked at
// four times a second, nothing else runs meanwhile, and the terminal goes on when the same
// device is back (LostDeviceWatch); a different device at the path is named and left alone.
#pragma once

#include <string>
#include <string_view>

#include "cli/port_options.h"
#include "cli/raw_console.h"
#include "link/serial_port.h"
#include "terminal/console_screen.h"
#include "terminal/lost_device_watch.h"
#include "terminal/term_display.h"
#include "terminal/term_views.h"
#include "terminal/terminal_log.h"
#include "terminal/wake_mailbox.h"

namespace zentrip::cli {

// The optional views of what arrives (terminal/term_views.h).
struct TerminalViews {
    bool time = false;      // each line starts with the time its first byte came
    bool hex = false;       // bytes in hex, 16 to a line
    bool logTimes = false;  // the log's lines start with their times
};

class ConsoleTerminal {
public:
    static constexpr char kEndKey = 0x1D;  // Ctrl-]

    // The port is open; the console is in raw mode (or not a terminal at all).
    ConsoleTerminal(CSerialPort& port, const PortOptions& options, bool echo, TerminalViews views,
                    CTerminalLog& log, RawConsole& console);
    ~ConsoleTerminal();
    ConsoleTerminal(const ConsoleTerminal&) = delete;
    ConsoleTerminal& operator=(const ConsoleTerminal&) = delete;

    // Runs until Ctrl-], the end of the input or an ending signal; the exit status.
    int Run();
    // Whether the console's cursor is at the start of a line.
    bool AtLineStart() const { return m_atLineStart; }

private:
    enum class Step { kGoOn, kEnd, kFailed };

    bool StartReader();
    Step TakeTyped();
    void TakeReceived();
    void DeviceLost();
    void LookForDevice();
    bool Reopen();
    bool Write(int fd, std::string_view bytes);
    void Show(const CTermDisplay::Change& change);
    void ShowHex(const std::string& lines);
    int PollTimeoutMs(bool lost) const;
    void Message(const std::string& text);

    CSerialPort& m_port;
    const PortOptions m_options;
    const bool m_echo;
    const TerminalViews m_views;
    CTerminalLog& m_log;
    RawConsole& m_console;
    CTermDisplay m_display;
    CHexView m_hex;
    CLogTimes m_logTimes;
    ConsoleScreen m_screen;
    ConsoleKeys m_keys;
    WakeMailbox m_wake;
    int m_wakePipe[2] = {-1, -1};
    LostDeviceWatch m_watch;
    bool m_atLineStart = true;
    bool m_outputFailed = false;
};

}  // namespace zentrip::cli
