#include "cli/interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <iterator>
#include <thread>

namespace zentrip::cli {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<int> g_count{0};
std::atomic<int> g_first{0};
std::atomic<bool> g_stopTaken{false};
std::atomic<InterruptWatch::Action> g_action{nullptr};
std::atomic<void*> g_context{nullptr};
std::atomic<int> g_actionsRunning{0};
std::atomic<bool> g_againDefault{false};
struct sigaction g_previous[std::size(kSignals)]{};
struct sigaction g_previousPipe {};

void RunAction() {
    // A handler on another thread may load the action just before a disarm clears it, and the
    // context just after: it then finds no context and does nothing. A disarm waits for the
    // actions already running, so none runs on a context that is gone.
    g_actionsRunning.fetch_add(1);
    const auto action = g_action.load();
    void* const context = g_context.load();
    if (action && context) action(context);
    g_actionsRunning.fetch_sub(1);
}

void OnSignal(int signal) {
    if (g_count.fetch_add(1) == 0) {
        g_first = signal;
        if (g_againDefault) {
            for (const int each : kSignals) std::signal(each, SIG_DFL);
        }
        RunAction();
        return;
    }
    // Only async-signal-safe calls from here on; _exit closes every descriptor, the port's too.
    static const char kText[] =
        "\r\n** Interrupted again: port closed, programming abandoned. **\n";
    ssize_t ignored = write(STDERR_FILENO, kText, sizeof kText - 1);
    (void)ignored;
    _exit(2);
}

}  // namespace

InterruptWatch::InterruptWatch(Again again) {
    static_assert(std::atomic<int>::is_always_lock_free);
    static_assert(std::atomic<bool>::is_always_lock_free);
    static_assert(std::atomic<Action>::is_always_lock_free);
    static_assert(std::atomic<void*>::is_always_lock_free);
    g_count = 0;
    g_first = 0;
    g_stopTaken = false;
    g_againDefault = again == Again::kDefaultAction;
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    // While one handler runs the others wait, so the first signal is noted before a second.
    for (const int signal : kSignals) sigaddset(&action.sa_mask, signal);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], &action, &g_previous[i]);
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &g_previousPipe);
}

InterruptWatch::~InterruptWatch() {
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], &g_previous[i], nullptr);
    }
    sigaction(SIGPIPE, &g_previousPipe, nullptr);
    Arm(nullptr, nullptr);
}

void InterruptWatch::Arm(Action action, void* context) {
    if (action) {
        g_context = context;
        g_action = action;
        if (g_count.load() > 0) RunAction();
    } else {
        g_action = nullptr;
        g_context = nullptr;
        while (g_actionsRunning.load() > 0) std::this_thread::yield();
    }
}

bool InterruptWatch::TakeStopRequest() { return g_count.load() > 0 && !g_stopTaken.exchange(true); }

const char* InterruptWatch::StopSource() const {
    switch (g_first.load()) {
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "Ctrl-C";
    }
}

}  // namespace zentrip::cli
