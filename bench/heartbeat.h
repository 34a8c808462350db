// The window benches' heartbeat: a 5 ms timer on the window thread whose longest gap between
// ticks is how long the window stalled.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace zentrip::bench {

// Measures the window thread's longest gap between 5 ms ticks from Start to Stop.
class Heartbeat {
public:
    Heartbeat() {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.elapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
        m_clock.start();
    }
    void Start() {
        m_longest = 0;
        m_last = m_clock.elapsed();
        m_timer.start(5);
    }
    qint64 Stop() {
        m_timer.stop();
        return m_longest;
    }
    qint64 Now() const { return m_clock.elapsed(); }

private:
    QElapsedTimer m_clock;
    QTimer m_timer;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

}  // namespace zentrip::bench
