// Letting a Qt program run until something holds, for tools and benches that drive the
// windows from outside: the event loop sleeps between events (no busy polling that would
// steal the processor from what is measured) and looks at the condition every few ms.
#pragma once

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>

namespace zentrip::testing {

// True as soon as done() holds; false after timeoutMs.
inline bool RunEventsUntil(const std::function<bool()>& done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || deadline.hasExpired()) loop.quit();
    });
    poll.start(2);
    if (!done()) loop.exec();
    return done();
}

}  // namespace zentrip::testing
