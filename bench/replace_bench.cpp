// Replace All of a text found about 100,000 times in a 1,000,000-line
// program, in the core.
#include <benchmark/benchmark.h>

#include "app/find_core.h"
#include "base/program_file.h"
#include "generate.h"

static void BM_ReplaceAll(benchmark::State& state) {
    // One line in ten of the generated program is a rapid with "M05".
    const std::string text = tolva::JoinLines(bench::GenerateProgram(1000000), tolva::LineEnd::CRLF, true);
    tolva::FindOptions o;
    o.wholeWord = state.range(0) != 0;
    std::size_t count = 0;
    for (auto _ : state) {
        tolva::ReplaceAllResult r = tolva::ReplaceAll(text, 0, 0, "M05", "M5", o);
        count = r.count;
        benchmark::DoNotOptimize(r.replacement.data());
    }
    state.counters["replaced"] = static_cast<double>(count);
}
BENCHMARK(BM_ReplaceAll)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
