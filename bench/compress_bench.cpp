// Compress and Super Compress of a 1,000,000-line program in the core.
#include <benchmark/benchmark.h>

#include "generate.h"
#include "settings/label_table.h"
#include "text/compress.h"

namespace {

tolva::AxisCodes MillCodes() {
    tolva::LabelTable t;
    t.SetCell(1, tolva::LabelRow::ArcCw, "G02");
    t.SetCell(1, tolva::LabelRow::ArcCcw, "G03");
    t.SetCell(1, tolva::LabelRow::Incremental, "G91");
    const char* letters = "NRIJKXYZ";
    for (int i = 0; i < 8; ++i) t.SetCell(1, tolva::LabelRow::NLetter + i, std::string(1, letters[i]));
    return tolva::MakeAxisCodes(t, false, false);
}

// The generated program with every tenth line repeated, so the pass also
// deletes.
std::vector<std::string> Program() {
    std::vector<std::string> p = bench::GenerateProgram(1000000);
    for (std::size_t i = 0; i + 1 < p.size(); i += 10) p[i + 1] = p[i];
    return p;
}

void run(benchmark::State& state, int super) {
    const auto program = Program();
    const auto codes = MillCodes();
    std::vector<std::string> lines;
    for (auto _ : state) {
        // Copying the input and freeing the last result are not the pass.
        state.PauseTiming();
        lines = program;
        state.ResumeTiming();
        tolva::RemoveDup(super, lines, codes);
        benchmark::DoNotOptimize(lines.data());
        state.counters["kept"] = static_cast<double>(lines.size());
    }
    state.counters["lines/s"] =
        benchmark::Counter(static_cast<double>(program.size()) * state.iterations(), benchmark::Counter::kIsRate);
}

}  // namespace

static void BM_Compress(benchmark::State& state) { run(state, 0); }
static void BM_SuperCompress(benchmark::State& state) { run(state, 1); }
BENCHMARK(BM_Compress)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SuperCompress)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
