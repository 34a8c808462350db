// Where zentrip-cli's text goes: the results on stdout, everything else on stderr, and, when
// stderr is a terminal, a status line kept at the bottom (line number, error count, elapsed
// time) that a ticker redraws so the time moves on during long pauses. Every write goes
// through here so the status line is cleared before text scrolls and redrawn after it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace zentrip::cli {

class ConsoleOutput {
public:
    // withStatusLine: draw the status line (only honoured when err is a terminal).
    ConsoleOutput(std::FILE* out, std::FILE* err, bool withStatusLine);
    ~ConsoleOutput();  // stops the ticker and removes the status line
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    void Out(std::string_view text);
    void Err(std::string_view text);

    void SetLineNumber(int line) { m_line = line; }
    void SetErrorCount(int errors) { m_errors = errors; }
    // Starts the elapsed time and the ticker; the status line shows from here on.
    void StartRun();
    // The status line is removed for good at the end of the run.
    void StopStatus();
    // The user typed a line in answer to a question: the cursor is at a line start again.
    void InputEchoed();
    // On a terminal, ends stdout's last line when its text left it open, so a prompt after
    // it starts on a line of its own. A file or a pipe keeps exactly the text written.
    void FinishOut();

    bool HasStatusLine() const { return m_statusLine; }
    static std::string FormatStatus(int line, int errors, std::chrono::seconds elapsed);

private:
    void Write(std::FILE* to, std::string_view text);  // caller holds m_mutex
    void Clear();                                      // caller holds m_mutex
    void Draw();                                       // caller holds m_mutex
    void Tick();

    std::FILE* m_out;
    std::FILE* m_err;
    bool m_statusLine;
    bool m_outIsTerminal;  // stdout shares the screen with the status line
    std::atomic<int> m_line{0};
    std::atomic<int> m_errors{0};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_running = false;
    bool m_shown = false;       // the status line is on the screen now
    bool m_atLineStart = true;  // the terminal's cursor is at the start of a line
    bool m_outEnded = true;     // stdout's text so far ends with a line end
    std::chrono::steady_clock::time_point m_start;
    std::thread m_ticker;
};

}  // namespace zentrip::cli
