// WindowQueue: how work reaches the window thread from any thread. The work waits in a queue
// under our own lock, and the window thread is woken by a call that carries no data (a Qt
// queued call): the sanitizer sees the hand-over, which it could not inside Qt's own locks.
// One wake-up is pending at a time; Drain runs everything posted until then, in order.
#pragma once

#include <deque>
#include <functional>
#include <mutex>

namespace zentrip {

class WindowQueue {
public:
    // `wake` is called from the posting thread when work arrives and no wake-up is pending.
    explicit WindowQueue(std::function<void()> wake) : m_wake(std::move(wake)) {}

    void Post(std::function<void()> work);
    // Window thread: runs the work posted so far; work that this posts waits for the next
    // wake-up.
    void Drain();
    // Drops what has not run yet and refuses further work (the window is going).
    void Close();

private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_work;
    bool m_wakePending = false;
    bool m_closed = false;
    std::function<void()> m_wake;
};

}  // namespace zentrip
