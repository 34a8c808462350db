// A serial line of our own between the engine and a far tty (such as an LrzszPeer's), relayed
// by a thread that can damage the bytes coming from the far side: one in `oneIn` on average,
// chosen by a generator started from `pattern` so a failure can be replayed.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "platform/pseudo_terminal.h"

namespace zentrip::testing {

class PtyRelay {
public:
    PtyRelay(const std::string& farTty, int oneIn, unsigned pattern);
    PtyRelay(const PtyRelay&) = delete;
    PtyRelay& operator=(const PtyRelay&) = delete;
    ~PtyRelay();

    bool Ok() const { return m_line.Ok() && m_far >= 0; }
    // The device the engine opens.
    const std::string& Path() const { return m_line.SlavePath(); }
    int Corrupted() const { return m_corrupted.load(); }

private:
    void Run(int oneIn, unsigned pattern);

    PseudoTerminal m_line;
    int m_far = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_corrupted{0};
    std::thread m_thread;
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
