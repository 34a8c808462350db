// Ctrl-C for a run without a window. The first press is the Stop button: it is only noted
// here, and the host hands it to the run where the run pumps its messages. A second press
// ends the program at once with status 2; exiting closes the serial port, so no byte of a
// pending write keeps the device held.
#pragma once

namespace zentrip::cli {

class InterruptWatch {
public:
    InterruptWatch();   // installs the SIGINT handler
    ~InterruptWatch();  // restores the previous one
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // True once for the first press, false before it and after it was taken.
    bool TakeStopRequest();
};

}  // namespace zentrip::cli
