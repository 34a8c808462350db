// Direct programming against the simulated controller on a pseudo-terminal, in real time.
// A direct run is paced by the waits its exchange prescribes: 20 ms after each sent line,
// then one 5 ms poll per byte of the controller's echo up to and including its LF. The
// figure is the measured time of 100 lines divided by the sum of those waits; the run's
// fixed pauses (300 ms before the first line, 1000 ms after closing, 1000 ms in the
// hang-up) are reported the same way for the whole run. Exits with status 1 when a run did not
// complete cleanly.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/checked_main.h"
#include "bench/direct_program.h"
#include "session/programmer.h"
#include "sim/pty_simulator.h"
#include "tests/doubles/memory_run_host.h"

namespace {

using namespace zentrip;

using bench::kDirectFixedMs;
using bench::kDirectLines;

// Notes when each line number is shown: line 1 starts the traffic, line kDirectLines + 1 (the
// request that meets the end of the file) ends it.
class StampingHost final : public MemoryRunHost {
public:
    explicit StampingHost(Clock& clock) : MemoryRunHost(&clock), m_clock(clock) {}
    void SetLineNumberText(std::string_view text) override {
        m_stamps.push_back(m_clock.TickMs());
        MemoryRunHost::SetLineNumberText(text);
    }
    const std::vector<std::uint64_t>& Stamps() const { return m_stamps; }

private:
    Clock& m_clock;
    std::vector<std::uint64_t> m_stamps;
};

void BM_DirectRun(benchmark::State& state) {
    std::string error;
    auto simulator = sim::PtySimulator::Start({}, &error);
    if (!simulator) {
        state.SkipWithError(error.c_str());
        return;
    }
    const auto path = std::filesystem::temp_directory_path() /
                      ("zentrip-direct-bench-" + std::to_string(getpid()) + ".orv");
    const std::uint64_t prescribed = bench::WriteDirectProgram(path);
    Clock& clock = DefaultClock();
    double lineRatios = 0;
    double worstLineRatio = 0;
    double runRatios = 0;
    int runs = 0;
    for (auto _ : state) {
        StampingHost host(clock);
        host.SetDirectModeChecked(true);
        CProgrammer programmer(host, clock);
        programmer.Settings().devicePaths.fill(simulator->DevicePath());
        programmer.SetWorkingFile(path.string());
        const std::uint64_t start = clock.TickMs();
        programmer.ProgramFromFile();
        const std::uint64_t end = clock.TickMs();
        if (programmer.LastOutcome() != CProgrammer::RunOutcome::Complete ||
            programmer.ErrorCount() != 0 || host.Stamps().size() != kDirectLines + 1) {
            state.SkipWithError("the run did not complete cleanly");
            break;
        }
        const std::uint64_t lines = host.Stamps().back() - host.Stamps().front();
        const double lineRatio = static_cast<double>(lines) / static_cast<double>(prescribed);
        const double runRatio =
            static_cast<double>(end - start) / static_cast<double>(prescribed + kDirectFixedMs);
        lineRatios += lineRatio;
        worstLineRatio = std::max(worstLineRatio, lineRatio);
        runRatios += runRatio;
        ++runs;
        std::printf(
            "100 lines: %llu ms measured, %llu ms prescribed, ratio %.4f; "
            "whole run: %llu ms, %llu ms prescribed, ratio %.4f\n",
            static_cast<unsigned long long>(lines), static_cast<unsigned long long>(prescribed),
            lineRatio, static_cast<unsigned long long>(end - start),
            static_cast<unsigned long long>(prescribed + kDirectFixedMs), runRatio);
    }
    std::filesystem::remove(path);
    if (runs == 0) return;
    state.counters["ratio"] = lineRatios / runs;
    state.counters["worst_ratio"] = worstLineRatio;
    state.counters["run_ratio"] = runRatios / runs;
}

BENCHMARK(BM_DirectRun)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return zentrip::bench::RunCheckedBenchmarks(argc, argv); }
