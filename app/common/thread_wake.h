// ThreadWake: runs a piece of work on a QObject's thread when any thread asks for it.
//
// A queued call made from another thread with a functor or a member pointer builds its call
// object in our code there and leaves its freeing to Qt, ordered by Qt's own atomics, which
// the thread sanitizer cannot see: it reports a race on every such call. Here the call object
// is made once, on the owner's thread, by a queued connection; a wake-up is a signal, and
// everything it allocates stays inside Qt.
#pragma once

#include <QObject>
#include <functional>

namespace zentrip {

class ThreadWake : public QObject {
    Q_OBJECT

public:
    // `work` runs on `owner`'s thread, once per Wake, after the calls queued before it.
    ThreadWake(QObject* owner, std::function<void()> work);

    // Any thread.
    void Wake() { emit Woken(); }

signals:
    void Woken();
};

}  // namespace zentrip
