// A serial line of our own between the engine and a far tty (such as an LrzszPeer's), relayed
// by a thread per direction. The bytes coming from the far side can be damaged: one bit of one
// byte in `oneIn` on average, chosen by a generator started from `pattern` and drawn byte by
// byte, so the same bytes of the far side's stream are hit in every run with that pattern. At a
// nonzero `bitsPerSecond` both directions are paced like a serial line: each byte takes one
// character time (10 bits) and leaves after the one before it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "platform/pseudo_terminal.h"

namespace zentrip::testing {

class PtyRelay {
public:
    PtyRelay(const std::string& farTty, int oneIn, unsigned pattern,
             std::uint32_t bitsPerSecond = 0);
    PtyRelay(const PtyRelay&) = delete;
    PtyRelay& operator=(const PtyRelay&) = delete;
    ~PtyRelay();

    bool Ok() const { return m_line.Ok() && m_far >= 0; }
    // The device the engine opens.
    const std::string& Path() const { return m_line.SlavePath(); }
    int Corrupted() const { return m_corrupted.load(); }

private:
    void Relay(int from, int to, int oneIn, unsigned pattern, std::uint32_t bitsPerSecond);

    PseudoTerminal m_line;
    int m_far = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_corrupted{0};
    std::thread m_fromFar;
    std::thread m_toFar;
};

// A tty opened raw by a test that plays one side of the line itself.
class RawTty {
public:
    explicit RawTty(const std::string& path);
    RawTty(const RawTty&) = delete;
    RawTty& operator=(const RawTty&) = delete;
    ~RawTty();
    bool Ok() const { return m_fd >= 0; }
    void Write(const std::string& bytes);
    // Reads until `count` bytes have come or `timeoutMs` passed.
    std::string Read(std::size_t count, int timeoutMs);

private:
    int m_fd = -1;
};

}  // namespace zentrip::testing
