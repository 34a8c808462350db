#include "platform/drain_watch.h"

#include <algorithm>

#include "platform/serial_line_mode.h"

namespace zentrip {

DrainWatch::DrainWatch(std::uint32_t rate, std::int64_t nowMs, int queued)
    : m_quietLimitMs(std::max<std::int64_t>(
          kMinQuietMs, kBurstBytes * kBitsPerCharacter * 1000 / std::max<std::uint32_t>(rate, 1))),
      m_progressMs(nowMs),
      m_queued(queued) {}

bool DrainWatch::KeepWaiting(std::int64_t nowMs, int queued) {
    if (queued <= 0) return false;
    if (queued < m_queued) {
        m_queued = queued;
        m_progressMs = nowMs;
    }
    return nowMs - m_progressMs <= m_quietLimitMs;
}

}  // namespace zentrip
