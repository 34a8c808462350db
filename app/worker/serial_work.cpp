#include "app/worker/serial_work.h"

#include "session/run_records.h"

namespace zentrip {

SerialWork::SerialWork(WindowQueue& queue, RunWindow& window, TextModel& editor, TextModel& results,
                       Clock& clock, SerialDeviceOpener& opener)
    : m_queue(queue),
      m_host(queue, window, editor, results),
      m_programmer(m_host, clock, opener),
      m_thread([this] { Serve(); }) {
    // Before any job: the worker reads it only under m_mutex, after Start.
    m_programmer.SetRecordFolder(DefaultRunRecordFolder());
}

SerialWork::~SerialWork() {
    Abort();
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void SerialWork::Start(JobKind kind, Snapshot snapshot, Job job, Done done) {
    ++m_jobs;
    if (kind == JobKind::Run) ++m_runs;
    auto work = [this, kind, snapshot = std::move(snapshot), job = std::move(job),
                 done = std::move(done)] {
        m_programmer.Settings() = snapshot.settings;
        m_programmer.SetWorkingFile(snapshot.workingFile);
        m_host.BeginJob(snapshot.directChecked);
        job(m_programmer);
        m_queue.Post([this, kind, done] {
            Ended(kind);
            if (done) done();
        });
    };
    {
        std::lock_guard lock(m_mutex);
        m_pending.push_back({kind, std::move(work)});
    }
    m_wake.notify_one();
}

void SerialWork::Abort() {
    m_programmer.AbortRun();
    std::deque<Queued> dropped;
    {
        std::lock_guard lock(m_mutex);
        dropped.swap(m_pending);
    }
    for (const Queued& job : dropped) Ended(job.kind);
}

void SerialWork::Ended(JobKind kind) {
    --m_jobs;
    if (kind == JobKind::Run) --m_runs;
}

void SerialWork::Serve() {
    for (;;) {
        std::function<void()> work;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || !m_pending.empty(); });
            if (m_pending.empty()) return;
            work = std::move(m_pending.front().work);
            m_pending.pop_front();
        }
        work();
    }
}

}  // namespace zentrip
