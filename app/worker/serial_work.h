// SerialWork: the main window's one worker thread for serial work. It owns the CProgrammer
// (the runs, the modem set-up and hang-up, the one port) and runs the window's jobs on it
// one after another, in the order they were asked for. A job starts from a snapshot of the
// window's settings, check box and working file taken when it was asked for, and the
// window learns of its end through the window queue: no field is read across threads.
//
// Threads: Start, Busy, RunInProgress, RequestStop and Abort belong to the window thread;
// the jobs, the CProgrammer and the host's worker side to the worker.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "app/worker/run_window.h"
#include "app/worker/text_model.h"
#include "app/worker/window_queue.h"
#include "app/worker/window_run_host.h"
#include "link/comm_settings.h"
#include "platform/clock.h"
#include "platform/serial_device.h"
#include "session/programmer.h"

namespace zentrip {

class SerialWork {
public:
    enum class JobKind {
        Run,     // a programming run: holds the port, writes the results pane
        Modem,   // the modem set-up or hang-up
        Preview  // the expansion preview: writes the results pane, opens no port
    };
    struct Snapshot {
        CommSettings settings;
        bool directChecked = false;
        std::string workingFile;
    };
    using Job = std::function<void(CProgrammer&)>;
    using Done = std::function<void()>;

    SerialWork(WindowQueue& queue, RunWindow& window, TextModel& editor, TextModel& results,
               Clock& clock, SerialDeviceOpener& opener);
    // Aborts a run, drops the jobs not begun and waits for the worker.
    ~SerialWork();
    SerialWork(const SerialWork&) = delete;
    SerialWork& operator=(const SerialWork&) = delete;

    // `done` runs on the window thread after the job, through the window queue.
    void Start(JobKind kind, Snapshot snapshot, Job job, Done done = nullptr);
    // Jobs asked for and not yet ended.
    bool Busy() const { return m_jobs > 0; }
    bool RunInProgress() const { return m_runs > 0; }
    // A run has begun and not yet ended (the run's own flag, safe to read from here).
    bool ProgrammingActive() const { return m_programmer.IsProgrammingActive(); }
    // The Stop button during a run: the run stops after the current line.
    void RequestStop() { m_programmer.RequestStop(); }
    // For the ways out: a run stops at once (a wait command is cut short), and the jobs not
    // yet begun are dropped without their `done`.
    void Abort();

    WindowRunHost& Host() { return m_host; }
    // Where the lines of the last (or current) run or preview were read; any thread.
    const RunPlaces& Places() const { return m_programmer.Places(); }

private:
    struct Queued {
        JobKind kind;
        std::function<void()> work;
    };
    void Serve();
    void Ended(JobKind kind);

    WindowQueue& m_queue;
    WindowRunHost m_host;
    CProgrammer m_programmer;
    int m_jobs = 0;  // window thread
    int m_runs = 0;  // window thread

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Queued> m_pending;
    bool m_quit = false;
    std::thread m_thread;  // last: starts once everything above exists
};

}  // namespace zentrip
