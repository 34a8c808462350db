// BackgroundQueue: work done on a thread of its own, one piece after another in the order it
// was given, so that reading a big file never stalls the window thread. The destructor waits
// for the piece under way and drops the rest.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace zentrip {

class BackgroundQueue {
public:
    BackgroundQueue();
    ~BackgroundQueue();
    BackgroundQueue(const BackgroundQueue&) = delete;
    BackgroundQueue& operator=(const BackgroundQueue&) = delete;

    void Post(std::function<void()> work);

private:
    void Serve();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_work;
    bool m_quit = false;
    std::thread m_thread;  // last: starts once everything above exists
};

}  // namespace zentrip
