#include "app/common/thread_wake.h"

#include <utility>

namespace zentrip {

ThreadWake::ThreadWake(QObject* owner, std::function<void()> work) {
    connect(this, &ThreadWake::Woken, owner, std::move(work), Qt::QueuedConnection);
}

}  // namespace zentrip
