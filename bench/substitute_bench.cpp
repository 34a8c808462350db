// Symbol substitution with a full table of 10,000 symbols: the plain ordered scan against
// the fast SubstituteSymbols, on realistic program lines. Prints the time per line of each
// and their ratio; exits with status 1 when the two disagree or a benchmark ended in error.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/checked_main.h"
#include "script/symbol_table.h"
#include "tests/support/ordered_scan.h"

namespace {

using zentrip::CSymbolTable;
using zentrip::ErrorText;
using zentrip::oracle::OrderedScan;
using zentrip::oracle::SymbolList;

constexpr int kLimit = 2047;
constexpr int kSymbols = 10000;
constexpr unsigned kRngStart = 7330;

struct Workload {
    SymbolList symbols;
    std::vector<std::string> lines;
};

// Names of zones, relays, codes and timers, each a number of up to four digits; the lines
// are controller commands, comments and tool commands that use a few of them.
const Workload& TheWorkload() {
    static const Workload workload = [] {
        Workload w;
        static const char* const kKinds[] = {"ZONE_", "Relay", "CODE_", "TMR"};
        char text[64];
        for (int i = 0; i < kSymbols; ++i) {
            std::snprintf(text, sizeof text, "%s%d", kKinds[i % 4], i / 4 + 1);
            char value[16];
            std::snprintf(value, sizeof value, "%03d", (i * 37) % 1000);
            w.symbols.emplace_back(text, value);
        }
        std::mt19937 rng(kRngStart);
        auto pick = [&] { return w.symbols[rng() % kSymbols].first; };
        for (int i = 0; i < 1000; ++i) {
            switch (rng() % 5) {
                case 0:
                    w.lines.push_back("12 " + pick() + " " + pick() + " *\n");
                    break;
                case 1:
                    w.lines.push_back("; arm " + pick() + " before the night shift\n");
                    break;
                case 2:
                    w.lines.push_back("45 " + pick() + " 001 * ; code for the front door\n");
                    break;
                case 3:
                    w.lines.push_back("wait " + pick() + "\n");
                    break;
                default:
                    w.lines.push_back("\"" + pick() + "\" 93 " + pick() + "," + pick() + " *\n");
                    break;
            }
        }
        return w;
    }();
    return workload;
}

// Times substitute on the workload's lines in turn, each first copied into a line buffer.
template <typename Substitute>
void TimeEachLine(benchmark::State& state, const Workload& w, Substitute substitute) {
    char line[kLimit + 1];
    std::size_t next = 0;
    for (auto _ : state) {
        const std::string& source = w.lines[next++ % w.lines.size()];
        source.copy(line, source.size());
        line[source.size()] = '\0';
        substitute(line);
        benchmark::DoNotOptimize(line);
    }
}

void BM_OrderedScan(benchmark::State& state) {
    const Workload& w = TheWorkload();
    TimeEachLine(state, w, [&](char* line) { OrderedScan(w.symbols, line, kLimit); });
}

void BM_SubstituteSymbols(benchmark::State& state) {
    const Workload& w = TheWorkload();
    ErrorText error;
    CSymbolTable table(error);
    for (const auto& [name, value] : w.symbols) {
        if (table.DefineSymbol(name.c_str(), value.c_str()) == 0) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    TimeEachLine(state, w, [&](char* line) { table.SubstituteSymbols(line, kLimit); });
}

BENCHMARK(BM_OrderedScan);
BENCHMARK(BM_SubstituteSymbols);

// Remembers each benchmark's time per iteration for the ratio printed at the end.
class RatioReporter : public zentrip::bench::CheckedReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        CheckedReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                m_nanoseconds[run.benchmark_name()] =
                    run.GetAdjustedRealTime() * 1e9 /
                    benchmark::GetTimeUnitMultiplier(run.time_unit);
            }
        }
    }
    double Nanoseconds(const std::string& name) const {
        const auto found = m_nanoseconds.find(name);
        return found == m_nanoseconds.end() ? 0 : found->second;
    }

private:
    std::map<std::string, double> m_nanoseconds;
};

}  // namespace

// Both ways must give the same lines, or the figures compare different work.
bool BothAgree() {
    const Workload& w = TheWorkload();
    ErrorText error;
    CSymbolTable table(error);
    for (const auto& [name, value] : w.symbols) table.DefineSymbol(name.c_str(), value.c_str());
    char fast[kLimit + 1];
    char ordered[kLimit + 1];
    for (const std::string& source : w.lines) {
        std::snprintf(fast, sizeof fast, "%s", source.c_str());
        std::snprintf(ordered, sizeof ordered, "%s", source.c_str());
        table.SubstituteSymbols(fast, kLimit);
        OrderedScan(w.symbols, ordered, kLimit);
        if (std::string(fast) != ordered || source == ordered) {
            std::fprintf(stderr, "substitution differs or did nothing: %s", source.c_str());
            return false;
        }
    }
    return true;
}

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!BothAgree()) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double ordered = reporter.Nanoseconds("BM_OrderedScan");
    const double fast = reporter.Nanoseconds("BM_SubstituteSymbols");
    if (reporter.Errors() > 0) return 1;
    if (ordered <= 0 || fast <= 0) return 0;  // one of them left out by --benchmark_filter
    std::printf("%d symbols: ordered scan %.0f ns/line, fast %.0f ns/line, ratio %.0fx\n", kSymbols,
                ordered, fast, ordered / fast);
    return 0;
}
