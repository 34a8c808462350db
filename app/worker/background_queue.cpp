#include "app/worker/background_queue.h"

namespace zentrip {

BackgroundQueue::BackgroundQueue() : m_thread([this] { Serve(); }) {}

BackgroundQueue::~BackgroundQueue() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_work.clear();
    }
    m_wake.notify_one();
    m_thread.join();
}

void BackgroundQueue::Post(std::function<void()> work) {
    {
        std::lock_guard lock(m_mutex);
        m_work.push_back(std::move(work));
    }
    m_wake.notify_one();
}

void BackgroundQueue::Serve() {
    for (;;) {
        std::function<void()> work;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || !m_work.empty(); });
            if (m_quit) return;
            work = std::move(m_work.front());
            m_work.pop_front();
        }
        work();
    }
}

}  // namespace zentrip
