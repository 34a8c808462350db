#include "terminal/wake_mailbox.h"

namespace zentrip {

std::uint64_t WakeMailbox::NewGeneration() {
    std::lock_guard lock(m_mutex);
    m_posted = false;
    return ++m_generation;
}

std::uint64_t WakeMailbox::Generation() const {
    std::lock_guard lock(m_mutex);
    return m_generation;
}

bool WakeMailbox::Post(std::uint64_t generation) {
    std::lock_guard lock(m_mutex);
    if (generation != m_generation) return false;
    m_posted = true;
    if (m_outstanding) return false;
    m_outstanding = true;
    return true;
}

bool WakeMailbox::Take() {
    std::lock_guard lock(m_mutex);
    m_outstanding = false;
    const bool posted = m_posted;
    m_posted = false;
    return posted;
}

}  // namespace zentrip
