// The console's keyboard in raw mode for the terminal command: every key arrives as its byte at
// once, without echo and without signals (Ctrl-C, Ctrl-Z and Ctrl-\ are bytes for the line).
// The console's modes come back on every way out: when the object goes, when a signal ends the
// program (SIGTERM, SIGHUP, SIGINT, SIGQUIT are handed to the program's loop; a crash restores
// them in the handler before it goes on), and while a SIGTSTP from outside stops it. Output is
// raw too: what is written is what the console gets, line ends included (CR LF).
#pragma once

#include <termios.h>

namespace zentrip::cli {

class RawConsole {
public:
    explicit RawConsole(int fd);  // not a terminal: its modes stay as they are
    ~RawConsole();
    RawConsole(const RawConsole&) = delete;
    RawConsole& operator=(const RawConsole&) = delete;

    // The console's own erase key (usually DEL), which the terminal sends as BS.
    char EraseKey() const { return m_eraseKey; }
    // Readable once an ending signal came; TakeSignal() then says which (0: none).
    int SignalFd() const;
    int TakeSignal();

private:
    char m_eraseKey = 0x7F;
};

}  // namespace zentrip::cli
