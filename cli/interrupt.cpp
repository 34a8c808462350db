#include "cli/interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>

namespace zentrip::cli {

namespace {

std::atomic<int> g_presses{0};
std::atomic<bool> g_stopTaken{false};
struct sigaction g_previous {};

void OnInterrupt(int) {
    if (g_presses.fetch_add(1) == 0) return;
    // Only async-signal-safe calls from here on; _exit closes every descriptor, the port's too.
    static const char kText[] =
        "\r\n** Interrupted again: port closed, programming abandoned. **\n";
    ssize_t ignored = write(STDERR_FILENO, kText, sizeof kText - 1);
    (void)ignored;
    _exit(2);
}

}  // namespace

InterruptWatch::InterruptWatch() {
    static_assert(std::atomic<int>::is_always_lock_free);
    g_presses = 0;
    g_stopTaken = false;
    struct sigaction action {};
    action.sa_handler = &OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &g_previous);
}

InterruptWatch::~InterruptWatch() { sigaction(SIGINT, &g_previous, nullptr); }

bool InterruptWatch::TakeStopRequest() {
    return g_presses.load() > 0 && !g_stopTaken.exchange(true);
}

}  // namespace zentrip::cli
