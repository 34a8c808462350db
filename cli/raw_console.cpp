#include "cli/raw_console.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace zentrip::cli {

namespace {

// Shared with the signal handlers, which may only make async-signal-safe calls.
int g_fd = -1;
termios g_saved{};
termios g_raw{};
volatile sig_atomic_t g_rawOn = 0;
int g_signalPipe[2] = {-1, -1};

constexpr std::array kEndingSignals{SIGTERM, SIGHUP, SIGINT, SIGQUIT};
constexpr std::array kCrashSignals{SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

void Restore() {
    if (g_rawOn) tcsetattr(g_fd, TCSAFLUSH, &g_saved);
}

void OnEndingSignal(int signal) {
    const unsigned char number = static_cast<unsigned char>(signal);
    const int saved = errno;
    if (write(g_signalPipe[1], &number, 1) < 0) {
        // A full pipe already holds a signal: the loop ends either way.
    }
    errno = saved;
}

void OnCrash(int signal) {
    Restore();
    raise(signal);  // SA_RESETHAND gave it back its default action
}

void OnStop(int) {
    const int saved = errno;
    Restore();
    raise(SIGSTOP);
    // Continued: raw again, unless the program left raw mode meanwhile.
    if (g_rawOn) tcsetattr(g_fd, TCSAFLUSH, &g_raw);
    errno = saved;
}

void Install(int signal, void (*handler)(int), int flags) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

}  // namespace

RawConsole::RawConsole(int fd) {
    if (g_signalPipe[0] < 0 && pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    for (const int signal : kEndingSignals) Install(signal, OnEndingSignal, SA_RESTART);
    if (!isatty(fd) || tcgetattr(fd, &g_saved) != 0) return;
    g_fd = fd;
    // A console without an erase key gets DEL, what a Linux console's Backspace sends.
    if (g_saved.c_cc[VERASE] != _POSIX_VDISABLE)
        m_eraseKey = static_cast<char>(g_saved.c_cc[VERASE]);
    g_raw = g_saved;
    g_raw.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                            ICRNL | IXON | IXOFF);
    g_raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    g_raw.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    g_raw.c_cc[VMIN] = 1;
    g_raw.c_cc[VTIME] = 0;
    for (const int signal : kCrashSignals) Install(signal, OnCrash, SA_RESETHAND);
    Install(SIGTSTP, OnStop, SA_RESTART);
    g_rawOn = 1;
    if (tcsetattr(fd, TCSAFLUSH, &g_raw) != 0) g_rawOn = 0;
}

RawConsole::~RawConsole() {
    Restore();
    g_rawOn = 0;
    for (const int signal : kCrashSignals) Install(signal, SIG_DFL, 0);
    for (const int signal : kEndingSignals) Install(signal, SIG_DFL, 0);
    Install(SIGTSTP, SIG_DFL, 0);
}

int RawConsole::SignalFd() const { return g_signalPipe[0]; }

int RawConsole::TakeSignal() {
    unsigned char number = 0;
    return read(g_signalPipe[0], &number, 1) == 1 ? number : 0;
}

}  // namespace zentrip::cli
