#include "cli/console_terminal.h"

#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/file_write.h"
#include "terminal/term_texts.h"

namespace zentrip::cli {

namespace {

bool Utf8Console() { return std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0; }

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

ConsoleTerminal::ConsoleTerminal(CSerialPort& port, const PortOptions& options, bool echo,
                                 TerminalViews views, CTerminalLog& log, RawConsole& console)
    : m_port(port),
      m_options(options),
      m_echo(echo),
      m_views(views),
      m_log(log),
      m_console(console),
      m_screen(Utf8Console()),
      m_keys(Utf8Console(), console.EraseKey()) {
    if (pipe2(m_wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) m_wakePipe[0] = m_wakePipe[1] = -1;
    m_watch.Opened(m_port.DevicePath());
    m_hex.SetShowTime(views.time);
}

ConsoleTerminal::~ConsoleTerminal() {
    m_port.Close();  // the reader writes to the pipe until it has ended
    for (const int fd : m_wakePipe) {
        if (fd >= 0) close(fd);
    }
}

bool ConsoleTerminal::StartReader() {
    const std::uint64_t generation = m_wake.NewGeneration();
    const int wakeFd = m_wakePipe[1];
    return m_port.StartReader(
               [this, generation, wakeFd](std::uint32_t) {
                   if (!m_wake.Post(generation)) return;
                   const char wake = 1;
                   if (write(wakeFd, &wake, 1) < 0) {
                       // A full pipe wakes the loop all the same.
                   }
               },
               0, 0) == 1;
}

int ConsoleTerminal::Run() {
    if (m_wakePipe[0] < 0 || !StartReader()) return 1;
    for (;;) {
        pollfd fds[3] = {{STDIN_FILENO, POLLIN, 0},
                         {m_wakePipe[0], POLLIN, 0},
                         {m_console.SignalFd(), POLLIN, 0}};
        const bool lost = m_watch.IsLost();
        const int ready = poll(fds, 3, PollTimeoutMs(lost));
        if (ready < 0 && errno != EINTR) return 1;
        if (fds[2].revents & POLLIN) {
            if (const int signal = m_console.TakeSignal()) return 128 + signal;
        }
        if (fds[1].revents & POLLIN) {
            char drain[64];
            while (read(m_wakePipe[0], drain, sizeof drain) > 0) {
            }
            if (m_wake.Take()) TakeReceived();
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            const Step step = TakeTyped();
            if (step != Step::kGoOn) return step == Step::kEnd ? 0 : 1;
        }
        if (lost && ready == 0) LookForDevice();
        if (m_views.hex) ShowHex(m_hex.Flush(NowMs()));
        if (m_outputFailed) return 1;
    }
}

// Until the next look for a lost device or the end of a hex line's pause; -1: none is due.
int ConsoleTerminal::PollTimeoutMs(bool lost) const {
    int timeout = lost ? LostDeviceWatch::kPollMs : -1;
    if (const auto due = m_hex.FlushDue()) {
        const int untilDue = static_cast<int>(std::max<std::int64_t>(0, *due - NowMs()));
        timeout = timeout < 0 ? untilDue : std::min(timeout, untilDue);
    }
    return timeout;
}

ConsoleTerminal::Step ConsoleTerminal::TakeTyped() {
    char typed[256];
    const ssize_t n = read(STDIN_FILENO, typed, sizeof typed);
    if (n < 0) return errno == EINTR || errno == EAGAIN ? Step::kGoOn : Step::kFailed;
    if (n == 0) return Step::kEnd;  // the end of the input, as cu and telnet take it
    std::string_view keys(typed, static_cast<std::size_t>(n));
    const std::size_t end = keys.find(kEndKey);
    for (const char byte : m_keys.Translate(keys.substr(0, end))) {
        if (!m_watch.IsLost()) m_port.WriteByte(byte);
        if (m_echo) m_display.Echo(byte);
    }
    if (m_echo) Show(m_display.TakeChange());
    return end == std::string_view::npos ? Step::kGoOn : Step::kEnd;
}

void ConsoleTerminal::TakeReceived() {
    if (m_watch.IsLost()) return;
    char chunk[CSerialPort::kChunkSize];
    for (int n; (n = m_port.Read(chunk, static_cast<int>(sizeof chunk))) > 0;) {
        const std::string_view bytes(chunk, static_cast<std::size_t>(n));
        const std::int64_t now = NowMs();
        const std::string prefix = m_views.time || m_views.logTimes ? TimePrefix(now) : "";
        const std::string logged = m_logTimes.Stamp(bytes, m_views.logTimes ? prefix : "");
        std::string error;
        if (!m_log.Append(logged, &error)) {
            Message(LoggingStoppedText(m_log.Path(), error));
        }
        if (m_views.hex) {
            ShowHex(m_hex.Received(bytes, now));
        } else {
            m_display.ShowReceived(bytes, m_views.time ? prefix : "");
            Show(m_display.TakeChange());
        }
    }
    if (!m_port.ReaderRunning()) DeviceLost();
}

void ConsoleTerminal::DeviceLost() {
    m_port.Close();
    m_watch.Lost(m_port.LostReason());
    Message(TerminalLostTitle(m_watch.Path(), m_watch.Reason()) +
            " Waiting for it to come back; Ctrl-] ends.");
}

void ConsoleTerminal::LookForDevice() {
    switch (m_watch.LookAndReopen([this] { return Reopen(); })) {
        case LostDeviceWatch::Turn::kDifferent:
            Message(TerminalOtherDeviceTitle(m_watch.Path(), m_watch.Reason()) +
                    " Still waiting for the lost one; Ctrl-] ends.");
            break;
        case LostDeviceWatch::Turn::kReturned:
            Message(TerminalReturnedTitle(m_options.port, m_options.rate, m_watch.Path()));
            break;
        case LostDeviceWatch::Turn::kNone:
        case LostDeviceWatch::Turn::kEmptyAgain:
            break;
    }
}

bool ConsoleTerminal::Reopen() {
    if (!m_port.Open(m_options.port, m_options.rate)) return false;
    if (!StartReader()) {
        m_port.Close();
        return false;
    }
    m_watch.Opened(m_port.DevicePath());
    return true;
}

bool ConsoleTerminal::Write(int fd, std::string_view bytes) {
    if (WriteAll(fd, bytes) == 0) return true;
    m_outputFailed = true;
    return false;
}

void ConsoleTerminal::Show(const CTermDisplay::Change& change) {
    const std::string out = m_screen.Render(change);
    if (out.empty()) return;
    Write(STDOUT_FILENO, out);
    m_atLineStart = out.back() == '\n';
}

// Hex lines start lines of their own, also after echoed text.
void ConsoleTerminal::ShowHex(const std::string& lines) {
    if (lines.empty()) return;
    if (!m_display.AtLineStart()) m_display.ShowReceived("\r");
    m_display.ShowReceived(lines);
    Show(m_display.TakeChange());
}

// A line of its own between the terminal's text; erasing never reaches back over it.
void ConsoleTerminal::Message(const std::string& text) {
    Write(STDERR_FILENO, (m_atLineStart ? "" : "\r\n") + text + "\r\n");
    m_atLineStart = true;
    m_screen.StartAfresh();
}

}  // namespace zentrip::cli
