// Real-time waiting for tests on pseudo-terminals and threads: the milliseconds since a
// moment, and polling a condition with a generous limit so a loaded machine does not fail it.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace zentrip::testing {

inline long long MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

// Polls pred for up to timeoutMs; true as soon as it holds.
inline bool WaitUntil(const std::function<bool()>& pred, int timeoutMs = 5000) {
    const auto start = std::chrono::steady_clock::now();
    while (!pred()) {
        if (MsSince(start) > timeoutMs) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace zentrip::testing
