// How long closing a port waits for written bytes to leave: as long as they keep leaving. A
// fixed limit would throw away the tail of a slow transfer (4 KiB queued take 137 s at
// 300 bit/s); a line that stopped moving (flow control held, adapter hung) is given up on.
#pragma once

#include <cstdint>

namespace zentrip {

class DrainWatch {
public:
    // Bytes that may leave in one burst after a quiet spell: a USB adapter reports its queue
    // in packets, a UART in FIFO loads.
    static constexpr std::int64_t kBurstBytes = 256;
    static constexpr std::int64_t kMinQuietMs = 1000;

    DrainWatch(std::uint32_t rate, std::int64_t nowMs, int queued);
    // True while waiting is worth it: the queue is not empty and shrank recently enough.
    bool KeepWaiting(std::int64_t nowMs, int queued);

private:
    std::int64_t m_quietLimitMs;  // the longest the queue may stand still
    std::int64_t m_progressMs;    // when it last shrank
    int m_queued;
};

}  // namespace zentrip
