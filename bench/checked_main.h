// For the Google Benchmark programs: a console reporter that counts the benchmarks that ended
// with an error (SkipWithError: bytes lost, a run that did not end cleanly), and a main that
// exits with status 1 when there was one, so a script sees a failed measurement.
#pragma once

#include <benchmark/benchmark.h>

#include <vector>

namespace zentrip::bench {

class CheckedReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) m_errors += run.error_occurred ? 1 : 0;
    }
    int Errors() const { return m_errors; }

private:
    int m_errors = 0;
};

// BENCHMARK_MAIN's work with that exit status.
inline int RunCheckedBenchmarks(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 64;
    CheckedReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.Errors() == 0 ? 0 : 1;
}

}  // namespace zentrip::bench
