// Word order over a whole program in the core.
#include <benchmark/benchmark.h>

#include "generate.h"
#include "text/gcode_words.h"

static void BM_OrderWordsMFirst(benchmark::State& state) {
    const auto program = bench::GenerateProgram(static_cast<std::size_t>(state.range(0)));
    const tolva::Letters letters;
    std::string out;
    for (auto _ : state) {
        for (const auto& line : program) {
            tolva::OrderWordsMFirst(line, letters, out);
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.counters["lines/s"] =
        benchmark::Counter(static_cast<double>(program.size()) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_OrderWordsMFirst)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_WordValue(benchmark::State& state) {
    const auto program = bench::GenerateProgram(1000000);
    float sum = 0;
    for (auto _ : state) {
        for (const auto& line : program) sum += tolva::WordValue("X", line).value;
        benchmark::DoNotOptimize(sum);
    }
    state.counters["lines/s"] =
        benchmark::Counter(static_cast<double>(program.size()) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WordValue)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
