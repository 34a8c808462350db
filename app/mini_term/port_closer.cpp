#include "app/mini_term/port_closer.h"

#include <utility>

namespace zentrip {

PortCloser::~PortCloser() { Abandon(); }

void PortCloser::Abandon() {
    if (m_thread.joinable()) m_thread.join();
    m_then.clear();
}

void PortCloser::Close(CSerialPort& port, std::function<void()> then) {
    m_then.push_back(std::move(then));
    if (m_thread.joinable()) return;
    m_thread = std::thread([this, &port] {
        port.Close();
        m_finished.Wake();
    });
}

void PortCloser::Finished() {
    m_thread.join();
    // A continuation may ask for another close; it then starts afresh.
    for (auto& then : std::exchange(m_then, {})) then();
}

}  // namespace zentrip
