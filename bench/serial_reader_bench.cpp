// Moves 1 MiB from a pseudo-terminal through CSerialPort's reader thread and receive ring to a
// consumer that drains the ring whenever it is notified, as the terminal window does. Checks
// that every byte arrived in order and reports the throughput (bytes_per_second) and the CPU
// the whole process used for it (getrusage, user + system, all threads: reader, consumer and
// the thread feeding the pseudo-terminal). Exits with status 1 when bytes were lost.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "bench/checked_main.h"
#include "link/serial_port.h"
#include "platform/pseudo_terminal.h"

namespace zentrip {
namespace {

constexpr std::size_t kBytes = 1 << 20;

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& tv) {
        return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_ReaderMovesOneMiB(benchmark::State& state) {
    std::string payload(kBytes, '\0');
    for (std::size_t i = 0; i < kBytes; ++i) payload[i] = static_cast<char>(i * 131 % 257);
    double cpuSeconds = 0;
    double notifications = 0;

    for (auto _ : state) {
        PseudoTerminal pty;
        CSerialPort port;
        port.SetDevicePathFn([&pty](int) { return pty.SlavePath(); });
        if (!pty.Ok() || port.Open(1, 230400) != 1) {
            state.SkipWithError("cannot open a pseudo-terminal");
            return;
        }
        std::mutex mutex;
        std::condition_variable wake;
        std::atomic<std::uint32_t> seq{0};
        // Never blocks: a counter and a wake-up, like posting a message to a window.
        auto notify = [&](std::uint32_t) {
            seq.fetch_add(1, std::memory_order_release);
            wake.notify_one();
        };
        port.StartReader(notify, 1013, 0);

        std::string got;
        got.reserve(kBytes);
        char buf[1024];
        const double cpuBefore = ProcessCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        std::thread feeder([&] { pty.WriteMaster(payload, 10000); });
        while (got.size() < kBytes) {
            const std::uint32_t seen = seq.load(std::memory_order_acquire);
            for (int n; (n = port.Read(buf, sizeof buf)) > 0;) {
                got.append(buf, static_cast<std::size_t>(n));
            }
            if (got.size() >= kBytes) break;
            if (std::chrono::steady_clock::now() - start > std::chrono::seconds(60)) break;
            std::unique_lock lock(mutex);
            // The time-out only covers a wake-up that slipped past between load and wait.
            wake.wait_for(lock, std::chrono::milliseconds(50), [&] { return seq.load() != seen; });
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        cpuSeconds += ProcessCpuSeconds() - cpuBefore;
        feeder.join();
        notifications += seq.load();
        state.SetIterationTime(elapsed.count());
        port.Close();
        if (got != payload) {
            state.SkipWithError("bytes lost or out of order");
            return;
        }
    }
    const double runs = static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
    state.counters["cpu_ms_per_MiB"] = cpuSeconds * 1000 / runs;
    state.counters["notifications_per_MiB"] = notifications / runs;
}
BENCHMARK(BM_ReaderMovesOneMiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace zentrip

int main(int argc, char** argv) { return zentrip::bench::RunCheckedBenchmarks(argc, argv); }
