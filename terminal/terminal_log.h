// A terminal's log file: while it is on, every byte received is appended to the file unchanged,
// as it came from the line and before any display rule. Each chunk is written at once, so a
// crash or a pulled cable loses nothing already shown.
//
// The log takes a regular file, or a FIFO that a program reads; it never waits on either. A
// device is refused (the terminal's own serial device would send every byte back out, another
// terminal would receive the controller's output as typed commands), so is a FIFO that nobody
// reads. A FIFO whose reader stops taking bytes, or goes away, stops the log, never the
// terminal.
#pragma once

#include <string>
#include <string_view>

namespace zentrip {

class CTerminalLog {
public:
    CTerminalLog() = default;
    CTerminalLog(const CTerminalLog&) = delete;
    CTerminalLog& operator=(const CTerminalLog&) = delete;
    ~CTerminalLog();

    // Opens (or creates) the file for appending; stops a log that was on. portDevice is the
    // serial device the terminal uses. False with the reason in *error.
    bool Start(const std::string& path, const std::string& portDevice, std::string* error);
    void Stop();
    bool IsOn() const { return m_fd >= 0; }
    const std::string& Path() const { return m_path; }
    // False when the bytes could not all be written: logging is then off, the reason in *error.
    bool Append(std::string_view bytes, std::string* error);

private:
    int m_fd = -1;
    bool m_fifo = false;
    std::string m_path;
};

}  // namespace zentrip
