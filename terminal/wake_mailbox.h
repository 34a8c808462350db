// Wake-ups from a worker thread (a port's reader, a transfer's worker) to the thread that owns
// the work. They are coalesced: at most one is outstanding, however often the worker posts.
// They are tagged with a generation: after the owner closes and reopens a port it starts a new
// one, and a wake-up meant for the old port is dropped. No data travels with a wake-up; the
// owner takes it from where it lies (the port's ring, the engine's counters), so a window can
// send the wake-up as a queued call without arguments.
#pragma once

#include <cstdint>
#include <mutex>

namespace zentrip {

class WakeMailbox {
public:
    // Owner: from now on only posts with the returned generation count.
    std::uint64_t NewGeneration();
    std::uint64_t Generation() const;
    // Worker (or owner, to come back later): notes that work waits. True when the caller must
    // send the wake-up, because none is outstanding; false for a post of an old generation.
    bool Post(std::uint64_t generation);
    // Owner, when a wake-up arrives: true when work of the current generation was posted since
    // the last Take. Afterwards the next post sends a wake-up again.
    bool Take();

private:
    mutable std::mutex m_mutex;
    std::uint64_t m_generation = 0;
    bool m_posted = false;
    bool m_outstanding = false;
};

}  // namespace zentrip
