// Runs a Simulator in real time on a pseudo-terminal: a thread serves the master side while
// Zentrip (or socat, or a test) opens the slave as its serial device. Late answers are held
// back and sent when due. The simulator's state is read under a lock, so a test may look at
// the transcript and the dials while the thread runs.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "sim/simulator.h"

namespace zentrip::sim {

class PtySimulator {
public:
    // Called on the serving thread for each new transcript entry; must not block for long.
    using TranscriptSink = std::function<void(const TranscriptEntry&)>;

    // Opens the pty and starts serving it. Null with the reason in *error.
    static std::unique_ptr<PtySimulator> Start(const SimOptions& options, std::string* error,
                                               TranscriptSink sink = nullptr);
    PtySimulator(const PtySimulator&) = delete;
    PtySimulator& operator=(const PtySimulator&) = delete;
    ~PtySimulator();

    // The slave device, e.g. /dev/pts/7: the path a serial port opens.
    const std::string& DevicePath() const { return m_devicePath; }
    // Ends the thread; safe to call twice. The destructor calls it.
    void Stop();

    Transcript GetTranscript() const;
    std::vector<DialRecord> Dials() const;
    // Reads any state under the lock: WithSimulator([](const Simulator& s) { ... }).
    void WithSimulator(const std::function<void(const Simulator&)>& look) const;
    // How often a client closed the device; its unread answers were dropped each time.
    int Disconnects() const { return m_disconnects.load(); }

private:
    PtySimulator(std::unique_ptr<Simulator> simulator, int master, int wakeRead, int wakeWrite,
                 std::string devicePath, TranscriptSink sink);
    void Serve();
    void DiscardUnreadReplies();
    std::uint64_t NowMs() const;

    std::unique_ptr<Simulator> m_simulator;
    int m_master;
    int m_wakeRead;  // a pipe wakes the thread for Stop
    int m_wakeWrite;
    std::string m_devicePath;
    TranscriptSink m_sink;
    std::chrono::steady_clock::time_point m_start;
    mutable std::mutex m_mutex;
    std::thread m_thread;
    std::atomic<bool> m_stopped{false};
    std::atomic<int> m_disconnects{0};
};

}  // namespace zentrip::sim
