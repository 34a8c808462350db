// The editor's analysis of a 300,000-line program: spans of every line and the problems a run
// would refuse, as a window would have it made on a worker after the user stops typing. The
// program defines 1,000 symbols and uses them in controller lines, with comments, tool
// commands (waits, which are not waited), an include file read 100 times and one problem.
// Prints the time for the whole text; exits with status 1 when the analysis is not the
// expected one.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "bench/checked_main.h"
#include "script/program_analysis.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kLines = 300000;

std::string Program() {
    std::string text;
    for (int i = 0; i < 1000; ++i) {
        text += "#define ZONE_" + std::to_string(i) + " " + std::to_string(100 + i) + "\n";
    }
    for (int line = 1000; line < kLines - 1; ++line) {
        switch (line % 6) {
            case 0:
                text += "; arm zone " + std::to_string(line % 1000) + " before the night shift\n";
                break;
            case 1:
                text += "1234 12 ZONE_" + std::to_string(line % 1000) + " ZONE_7 * ; front door\n";
                break;
            case 2:
                text += line % 3000 == 2 ? "#include site.inc\n" : "#wait 1\n";
                break;
            default:
                text += "1234 45 ZONE_" + std::to_string(line % 997) + " 001 *\n";
                break;
        }
    }
    return text + "#wait\n";
}

void BM_AnalyseProgram(benchmark::State& state) {
    zentrip::testing::TempDir dir("zentrip-analysis-bench-");
    if (!dir.Ok() || chdir(dir.Path().c_str()) != 0) {
        state.SkipWithError("no folder");
        return;
    }
    std::ofstream("site.inc") << "; site\n1234 99 ZONE_5 *\n";
    const std::string text = Program();
    for (auto _ : state) {
        const zentrip::ProgramAnalysis analysis = zentrip::AnalyseProgram(text, "big.orv");
        if (analysis.LineCount() != kLines || analysis.problems.size() != 1) {
            state.SkipWithError("unexpected analysis");
            return;
        }
        benchmark::DoNotOptimize(analysis.spans.data());
    }
    state.counters["lines"] = kLines;
}

BENCHMARK(BM_AnalyseProgram)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace

int main(int argc, char** argv) { return zentrip::bench::RunCheckedBenchmarks(argc, argv); }
