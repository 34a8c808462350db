#include "app/worker/window_queue.h"

namespace zentrip {

void WindowQueue::Post(std::function<void()> work) {
    {
        std::lock_guard lock(m_mutex);
        if (m_closed) return;
        m_work.push_back(std::move(work));
        if (m_wakePending) return;
        m_wakePending = true;
    }
    m_wake();
}

void WindowQueue::Drain() {
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(m_mutex);
        batch.swap(m_work);
        m_wakePending = false;
    }
    for (auto& work : batch) work();
}

void WindowQueue::Close() {
    std::deque<std::function<void()>> dropped;
    std::lock_guard lock(m_mutex);
    m_closed = true;
    dropped.swap(m_work);
}

}  // namespace zentrip
