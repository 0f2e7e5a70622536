// PlotAll over a generated 1,000,000-line program: 70% straight moves, 25%
// arcs with centres, 5% rapids, cut on/off every 50 lines, fitted to a
// 1000-pixel view. Interpretation alone (null canvas) and the whole redraw
// onto the plot window's QImage canvas, from the document's bytes as the
// window reads them (line index, interpretation, drawing).
#include <QApplication>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "base/host.h"
#include "generate.h"
#include "plot/image_canvas_qt.h"
#include "plot/interpreter.h"
#include "plot/program_lines.h"
#include "plot/projection.h"
#include "settings/machine_settings.h"

namespace {

constexpr int kLines = 1000000;
constexpr double kSize = 100.0;      // program units
constexpr int kScaleValue = 10000;   // 10 pixels per unit: 1000 pixels

const std::string& Program() {
    static const std::string p = bench::GeneratePlotProgram(kLines, kSize);
    return p;
}

void Mill(tolva::MachineSettings& m) {
    using namespace tolva::LabelRow;
    const std::pair<int, const char*> cells[] = {
        {ArcCw, "G02"},   {ArcCcw, "G03"},  {Absolute, "G90"}, {Incremental, "G91"}, {BeginBlock, "M03"},
        {EndBlock, "M05"}, {RLetter, "R"},  {ILetter, "I"},    {JLetter, "J"},       {KLetter, "K"},
        {XLetter, "X"},   {YLetter, "Y"},   {ZLetter, "Z"},    {XYPlane, "G17"},     {XZPlane, "G18"},
        {YZPlane, "G19"}, {StopA, "("},
    };
    for (auto [row, code] : cells) m.SetCell(1, row, code);
    m.SetText("Edit5", "125");
    // TOLVA_PLOT_RES=20 takes the arcs in 20-pixel chords: what is left is
    // the interpretation of the lines.
    if (const char* res = std::getenv("TOLVA_PLOT_RES")) m.SetInt("PlotResSpinEdit", std::atoi(res));
}

struct ScaleView : tolva::PlotView {
    int ViewScaleValue() override { return kScaleValue; }
};

long MaxRssKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// The axis limits of the shipped mill: the plot then also estimates the
// cycle time with accelerations.
void Motion(tolva::MachineSettings& m) {
    for (auto [name, value] : {std::pair{"XMaxSpeedEdit", "8000"}, {"YMaxSpeedEdit", "8000"}, {"ZMaxSpeedEdit", "4000"},
                               {"XAccelEdit", "400"}, {"YAccelEdit", "400"}, {"ZAccelEdit", "200"},
                               {"JunctionDeviationEdit", "0.02"}})
        m.SetText(name, value);
}

template <class CanvasT>
void Run(benchmark::State& st, CanvasT& canvas, bool estimate = false) {
    const std::string& text = Program();
    tolva::MachineSettings settings("/nonexistent");
    Mill(settings);
    if (estimate) Motion(settings);
    tolva::PlotState state;
    ScaleView view;
    tolva::Interpreter interp(state, canvas, &settings, &view);
    tolva::RecordingHost host;
    const long before = MaxRssKb();
    for (auto _ : st) {
        // As the plot window does: index the lines where the editor holds
        // them (a copy is taken only when an edit comes mid-plot), plot.
        tolva::ByteLines lines(text);
        lines.MainEditor = true;
        interp.MainLineCount = lines.Count();
        interp.PlotAll(lines, true, true, 0, 0, host);
        benchmark::DoNotOptimize(state.TotalDist);
    }
    st.counters["lines/s"] = benchmark::Counter(double(kLines) * st.iterations(), benchmark::Counter::kIsRate);
    st.counters["text_MB"] = text.size() / 1e6;
    st.counters["peak_rss_MB"] = MaxRssKb() / 1e3;
    st.counters["rss_growth_MB"] = (MaxRssKb() - before) / 1e3;
}

void BM_PlotAllNullCanvas(benchmark::State& st) {
    tolva::NullCanvas canvas;
    Run(st, canvas);
}

void BM_PlotAllNullCanvasWithEstimate(benchmark::State& st) {
    tolva::NullCanvas canvas;
    Run(st, canvas, true);
}

void BM_PlotAllImageCanvas(benchmark::State& st) {
    tolva::ImageCanvas canvas(1000);
    Run(st, canvas);
}

// The whole redraw with each arc kernel this machine runs: 0 the portable
// one, 1 AVX2 (a kernel the machine lacks is skipped).
void BM_PlotAllImageCanvasKernel(benchmark::State& st) {
    const tolva::ArcKernel kernels[] = {tolva::ArcKernel::Baseline, tolva::ArcKernel::Avx2};
    if (!tolva::UseArcKernel(kernels[st.range(0)])) {
        st.SkipWithError("kernel not available on this machine");
        return;
    }
    tolva::ImageCanvas canvas(1000);
    Run(st, canvas);
    tolva::UseArcKernel(tolva::ArcKernel::Best);
}

}  // namespace

BENCHMARK(BM_PlotAllImageCanvasKernel)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_PlotAllNullCanvas)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(false);
BENCHMARK(BM_PlotAllNullCanvasWithEstimate)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(false);
BENCHMARK(BM_PlotAllImageCanvas)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(false);

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const long withQt = MaxRssKb();
    const std::size_t size = Program().size();
    std::fprintf(stderr, "program: %d lines, %.1f MB; peak RSS with Qt alone %.1f MB, with the program %.1f MB\n",
                 kLines, size / 1e6, withQt / 1e3, MaxRssKb() / 1e3);
    if (const char* dump = std::getenv("TOLVA_PLOT_BENCH_DUMP")) {
        if (FILE* f = std::fopen(dump, "wb")) {
            std::fwrite(Program().data(), 1, Program().size(), f);
            std::fclose(f);
        }
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
