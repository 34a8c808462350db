#include "cli/console_output.h"

#include <unistd.h>

namespace zentrip::cli {

ConsoleOutput::ConsoleOutput(std::FILE* out, std::FILE* err, bool withStatusLine)
    : m_out(out),
      m_err(err),
      m_statusLine(withStatusLine && isatty(fileno(err))),
      m_outIsTerminal(isatty(fileno(out))) {}

ConsoleOutput::~ConsoleOutput() { StopStatus(); }

std::string ConsoleOutput::FormatStatus(int line, int errors, std::chrono::seconds elapsed) {
    const long long s = elapsed.count();
    char text[96];
    std::snprintf(text, sizeof text, "Line %05d  Errors %05d  Elapsed %02lld:%02lld:%02lld", line,
                  errors, s / 3600, s / 60 % 60, s % 60);
    return text;
}

void ConsoleOutput::Out(std::string_view text) {
    std::lock_guard lock(m_mutex);
    Write(m_out, text);
}

void ConsoleOutput::Err(std::string_view text) {
    std::lock_guard lock(m_mutex);
    Write(m_err, text);
}

void ConsoleOutput::Write(std::FILE* to, std::string_view text) {
    if (text.empty()) return;
    if (to == m_out && !m_outIsTerminal) {
        std::fwrite(text.data(), 1, text.size(), to);
        std::fflush(to);
        return;
    }
    Clear();
    std::fwrite(text.data(), 1, text.size(), to);
    std::fflush(to);
    // Both streams may share one terminal; the status line may only follow a finished line.
    m_atLineStart = text.back() == '\n';
    if (to == m_out) m_outEnded = m_atLineStart;
    Draw();
}

void ConsoleOutput::FinishOut() {
    std::lock_guard lock(m_mutex);
    if (m_outIsTerminal && !m_outEnded) Write(m_out, "\n");
}

void ConsoleOutput::Clear() {
    if (!m_shown) return;
    std::fputs("\r\033[K", m_err);
    std::fflush(m_err);
    m_shown = false;
}

void ConsoleOutput::Draw() {
    if (!m_running || !m_atLineStart) return;
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::steady_clock::now() - m_start);
    std::fputs(("\r\033[K" + FormatStatus(m_line, m_errors, elapsed)).c_str(), m_err);
    std::fflush(m_err);
    m_shown = true;
}

void ConsoleOutput::StartRun() {
    if (!m_statusLine) return;
    std::lock_guard lock(m_mutex);
    if (m_running) return;
    m_running = true;
    m_start = std::chrono::steady_clock::now();
    m_ticker = std::thread([this] { Tick(); });
}

void ConsoleOutput::StopStatus() {
    {
        std::lock_guard lock(m_mutex);
        Clear();
        m_running = false;
    }
    m_wake.notify_all();
    if (m_ticker.joinable()) m_ticker.join();
}

void ConsoleOutput::InputEchoed() {
    std::lock_guard lock(m_mutex);
    m_atLineStart = true;
    Draw();
}

void ConsoleOutput::Tick() {
    std::unique_lock lock(m_mutex);
    while (m_running) {
        Draw();
        m_wake.wait_for(lock, std::chrono::milliseconds(250));
    }
}

}  // namespace zentrip::cli
