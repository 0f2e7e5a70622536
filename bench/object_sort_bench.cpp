// "Sort Objects Acending" on a nested sheet: parts of 36-sided outlines with
// corner arcs, each framed as the DXF import frames a path (rapid approach,
// cut on, the contour, cut off), about 40 lines a part. The one-plot sort on
// 5,000 parts (200,000 lines), and both it and the re-plot-per-object sort
// it replaced on smaller sheets, where the re-plot can still be waited for.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "../tests/plot/replot_sort.h"
#include "base/folders.h"
#include "plot/object_sort.h"
#include "settings/machine_settings.h"

namespace {

std::vector<std::string> NestedSheet(int parts) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> size(5.0, 40.0), jitter(0.9, 1.1);
    std::vector<std::string> out = {"%", "G21 G90 G17 F2500", "G41"};
    char buf[96];
    const int columns = 100;
    for (int p = 0; p < parts; ++p) {
        const double cx = (p % columns) * 100.0, cy = (p / columns) * 100.0, r = size(rng);
        double x0 = cx + r, y0 = cy;
        std::snprintf(buf, sizeof buf, "G00 X%.3f Y%.3f", x0, y0);
        out.emplace_back(buf);
        out.emplace_back("M03");
        for (int k = 1; k <= 36; ++k) {
            const double a = k * 2.0 * M_PI / 36.0, rr = k == 36 ? r : r * jitter(rng);
            const double x = k == 36 ? x0 : cx + rr * std::cos(a), y = k == 36 ? y0 : cy + rr * std::sin(a);
            if (k % 9 == 0)  // a corner arc about the part's centre (absolute)
                std::snprintf(buf, sizeof buf, "G03 X%.3f Y%.3f I%.3f J%.3f", x, y, cx, cy);
            else
                std::snprintf(buf, sizeof buf, "G01 X%.3f Y%.3f", x, y);
            out.emplace_back(buf);
        }
        out.emplace_back("M05");
    }
    out.emplace_back("M30");
    return out;
}

struct Machine {
    tolva::MachineSettings settings{"/nonexistent-tolva-bench"};
    tolva::PlotState state;
    tolva::NullCanvas canvas;
    tolva::Interpreter interp{state, canvas, &settings};
    tolva::RecordingHost host;
    Machine() {
        const std::pair<int, const char*> cells[] = {
            {tolva::LabelRow::Line, "G01"},        {tolva::LabelRow::ArcCw, "G02"},
            {tolva::LabelRow::ArcCcw, "G03"},      {tolva::LabelRow::Absolute, "G90"},
            {tolva::LabelRow::Incremental, "G91"}, {tolva::LabelRow::KerfCompLeft, "G41"},
            {tolva::LabelRow::BeginBlock, "M03"},  {tolva::LabelRow::EndBlock, "M05"},
            {tolva::LabelRow::XYPlane, "G17"}};
        for (auto [row, code] : cells) settings.SetCell(1, row, code);
        const char* letters = "NRIJKXYZ";
        for (int i = 0; i < 8; ++i) settings.SetCell(1, tolva::LabelRow::NLetter + i, std::string(1, letters[i]));
    }
};

void BM_SortAscending(benchmark::State& state) {
    Machine m;
    const auto program = NestedSheet(static_cast<int>(state.range(0)));
    std::vector<std::string> lines;
    for (auto _ : state) {
        state.PauseTiming();
        lines = program;
        state.ResumeTiming();
        tolva::SortObjects(lines, tolva::ObjectOrder::Ascending, m.interp, m.host, tolva::ScratchFolder());
        benchmark::DoNotOptimize(lines.data());
    }
    state.counters["lines"] = static_cast<double>(program.size());
}

void BM_SortAscendingReplot(benchmark::State& state) {
    Machine m;
    const auto program = NestedSheet(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto lines = tolva::test::SlowSort(m.interp, program, tolva::ObjectOrder::Ascending, false);
        benchmark::DoNotOptimize(lines.data());
    }
    state.counters["lines"] = static_cast<double>(program.size());
}

}  // namespace

BENCHMARK(BM_SortAscending)->Arg(5000)->Arg(500)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SortAscendingReplot)->Arg(100)->Arg(500)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
