// Ctrl-C, SIGTERM and SIGHUP for a run without a window: closing the terminal or stopping a
// service ends a run the way the Stop button does. The first signal is noted here and passed at
// once to the armed action (the run's abort, which also cuts a wait command short); the host
// hands the note to the run where the run pumps its messages. A second signal ends the program
// at once: with status 2 and a line that says so, or as the signal ends a program by default
// (a transfer, which has nothing to add). Either way exiting closes the serial port, so no byte
// of a pending write keeps the device held. While installed, a reader of stdout that went away
// (a pipe into a program that ended with the terminal) does not end the run before its end
// sequence: SIGPIPE is ignored and such writes fail quietly.
#pragma once

namespace zentrip::cli {

class InterruptWatch {
public:
    // Runs inside the signal handler, so it may only store atomics.
    using Action = void (*)(void* context);

    enum class Again { kSayAndExit, kDefaultAction };  // what a second signal does

    explicit InterruptWatch(Again again = Again::kSayAndExit);  // installs the handlers
    ~InterruptWatch();                                          // restores the previous ones
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // The action for the first signal, also run at once when it has already come; disarm
    // (nullptr) before the context dies. Disarming waits for an action already running.
    void Arm(Action action, void* context);

    // True once for the first signal, false before it and after it was taken.
    bool TakeStopRequest();
    // What the first signal was: "Ctrl-C", "SIGTERM" or "SIGHUP".
    const char* StopSource() const;
};

}  // namespace zentrip::cli
