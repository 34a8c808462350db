// A terminal's log file: while it is on, every byte received is appended to the file unchanged,
// as it came from the line and before any display rule. Each chunk is written at once, so a
// crash or a pulled cable loses nothing already shown.
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

    // Opens (or creates) the file for appending; stops a log that was on. False with the
    // system's reason in *error.
    bool Start(const std::string& path, std::string* error);
    void Stop();
    bool IsOn() const { return m_fd >= 0; }
    const std::string& Path() const { return m_path; }
    // False when the bytes could not all be written: logging is then off, the reason in *error.
    bool Append(std::string_view bytes, std::string* error);

private:
    int m_fd = -1;
    std::string m_path;
};

}  // namespace zentrip
