// TransferJob: one file transfer of the engine on a worker thread of its own, for the transfer
// dialog and the command line alike. The owner starts it, may cancel it from any thread, learns
// of progress and of the end by wake-ups from the worker, and takes the result by Finish().
//
// The engine clears its cancel flag when its operation begins and notifies right after; the job
// gives a cancel again at every notification, so a cancel is never lost to the start.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "link/serial_port.h"
#include "platform/clock.h"
#include "terminal/transfer_texts.h"
#include "terminal/xmodem.h"

namespace zentrip {

class TransferJob {
public:
    // Called on the worker thread; must return at once (post, never wait).
    using WakeFn = std::function<void()>;

    // The port must be left alone until Finish(); the engine reopens it itself.
    TransferJob(TransferMode mode, CSerialPort* port, int comPort, std::uint32_t rate,
                std::string path, Clock& clock = DefaultClock());
    ~TransferJob();  // cancels a worker still running and waits for it
    TransferJob(const TransferJob&) = delete;
    TransferJob& operator=(const TransferJob&) = delete;

    // Once: runs the transfer; `progress` after each change of the engine's counters, `ended`
    // when the engine has returned.
    void Start(WakeFn progress, WakeFn ended);
    bool Started() const { return m_started; }
    // From any thread, as often as wanted.
    void Cancel();
    bool Cancelled() const;
    // The engine has returned (from any thread).
    bool Ended() const { return m_ended.load(std::memory_order_acquire); }
    // Started and not yet finished: the worker may hold the port.
    bool Running() const { return m_worker.joinable(); }
    // Waits for the worker (at once when Ended()); the engine's result.
    int Finish();

    TransferMode Mode() const { return m_mode; }
    const std::string& Path() const { return m_path; }
    // The counters while it runs; the rest once finished.
    const CXmodem& Engine() const { return m_engine; }

private:
    const TransferMode m_mode;
    const std::string m_path;
    CXmodem m_engine;
    WakeFn m_onProgress;
    WakeFn m_onEnded;
    std::thread m_worker;
    bool m_started = false;
    // Held across the job's cancel and the engine's, and across the look at the notification:
    // a cancel lands either before the look (and is given again) or after the engine's start.
    std::mutex m_cancelLock;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_ended{false};
    int m_result = kXmodemUnknownError;  // written by the worker, read after joining it
};

}  // namespace zentrip
