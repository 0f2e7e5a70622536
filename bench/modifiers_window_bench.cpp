// The modifiers from the plot window's buttons and the line-number, comment,
// blank, line-end and unit items from the main menu, on a 1,000,000-line
// program: read the editor's lines, run the operation, write back as one
// undoable edit and re-plot. The program is a drawing's: short moves and
// small arcs with absolute centres inside 100 x 100 units, the odd comment
// and line number, shown fitted to the view as a load leaves it.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>

#include "app/app_state.h"
#include "app/main_window.h"
#include "base/program_editor_qt.h"
#include "base/program_file.h"
#include "compress_qt_main.h"
#include "plot/modifiers.h"
#include "plot/plot_window.h"
#include "settings/machine_settings.h"

namespace {

std::vector<std::string> DrawnProgram(std::size_t n) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    auto inside = [](double v) { return std::min(95.0, std::max(5.0, v)); };
    std::vector<std::string> out{"G90 G00 X50.000 Y50.000 (START)"};
    double x = 50, y = 50;
    char buf[96];
    for (std::size_t i = 1; i < n; ++i) {
        const double p = u(rng);
        if (p < 0.7) {
            x = inside(x + (u(rng) - 0.5) * 4);
            y = inside(y + (u(rng) - 0.5) * 4);
            std::snprintf(buf, sizeof buf, "N%zu G01 X%.3f Y%.3f F900", i, x, y);
        } else if (p < 0.95) {
            const double r = 0.5 + u(rng) * 2.5, a = u(rng) * 6.283185, b = a + (u(rng) - 0.5) * 3;
            const double cx = inside(x - r * std::cos(a)), cy = inside(y - r * std::sin(a));
            const double rr = std::hypot(x - cx, y - cy);
            x = cx + rr * std::cos(b);
            y = cy + rr * std::sin(b);
            std::snprintf(buf, sizeof buf, "%s X%.3f Y%.3f I%.3f J%.3f", u(rng) < 0.5 ? "G02" : "G03", x, y, cx, cy);
        } else {
            std::snprintf(buf, sizeof buf, "G00 Z%.3f M05 (RAPID)", u(rng) * 5);
        }
        out.emplace_back(buf);
    }
    return out;
}

struct Windows {
    tolva::MachineSettings settings{std::filesystem::temp_directory_path().string()};
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    std::string bytes;
    std::string incremental;  // the same program converted to incremental
    Windows() {
        const char* letters = "NRIJKXYZ";
        for (int i = 0; i < 8; ++i) settings.SetCell(1, 12 + i, std::string(1, letters[i]));
        const std::pair<int, const char*> cells[] = {{2, "G02"}, {3, "G03"}, {6, "G90"}, {7, "G91"},
                                                     {70, "("},  {71, ")"}, {10, "M30"}};
        for (auto [row, code] : cells) settings.SetCell(1, row, code);
        settings.SetText("DpEdit", "4");
        settings.SetText("LineEnds", "F900");  // 70 % of the lines end with it
        form1 = std::make_unique<TForm1>(settings, QStringList{});
        form1->SetHost(std::make_unique<tolva::RecordingHost>());
        form2 = std::make_unique<TForm2>(settings);
        std::vector<std::string> lines = DrawnProgram(1000000);
        bytes = tolva::JoinLines(lines, tolva::LineEnd::CRLF, true);
        tolva::ModifierSettings s = tolva::ReadModifierSettings(settings);
        tolva::RecordingHost host;
        tolva::ConvertToIncremental(lines, settings.Setaxis(), s, host);
        incremental = tolva::JoinLines(lines, tolva::LineEnd::CRLF, true);
    }
};

Windows& W() {
    static Windows w;
    return w;
}

template <class Op>
void run(benchmark::State& state, Op op, bool incremental = false) {
    Windows& w = W();
    tolva::App().SelLineCount = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.form1->RichEdit1->LoadBytes(incremental ? w.incremental : w.bytes);
        w.form1->CalcScale(w.form1->RichEdit1);
        state.ResumeTiming();
        op(w);
        benchmark::DoNotOptimize(w.form1->RichEdit1->LineCount());
    }
}

void button(benchmark::State& state, char mode) {
    run(state, [mode](Windows& w) { w.form2->SLIDE2(mode); });
}

void item(benchmark::State& state, const char* caption, bool incremental = false) {
    run(state, [caption](Windows& w) { w.form1->ActionByText(caption)->trigger(); }, incremental);
}

}  // namespace

static void BM_SlideButton(benchmark::State& s) { button(s, tolva::Modifier::UpRight); }
static void BM_SpinButton(benchmark::State& s) { button(s, tolva::Modifier::Spin); }
static void BM_FlipButton(benchmark::State& s) { button(s, tolva::Modifier::Flip); }
static void BM_FlopButton(benchmark::State& s) { button(s, tolva::Modifier::Flop); }
static void BM_SizeButton(benchmark::State& s) { button(s, tolva::Modifier::Size); }
static void BM_ToIncrementalMenu(benchmark::State& s) { item(s, "Convert to Incremental G91"); }
static void BM_ToAbsoluteMenu(benchmark::State& s) { item(s, "Convert to Absolute     G90", true); }
static void BM_AddLineNumbersMenu(benchmark::State& s) { item(s, "&Add Line Numbers"); }
static void BM_RemoveLineNumbersMenu(benchmark::State& s) { item(s, "&Remove Line Numbers"); }
static void BM_RemoveCommentsMenu(benchmark::State& s) { item(s, "Remove Comments enclosed by labels (71-72)"); }
static void BM_PackMenu(benchmark::State& s) { item(s, "Pack the file remove all spaces"); }
static void BM_AddLineEndsMenu(benchmark::State& s) { item(s, "Add Chars  to line end"); }
static void BM_RemoveLineEndsMenu(benchmark::State& s) { item(s, "Remove Chars from line end"); }
static void BM_InchToMetricMenu(benchmark::State& s) { item(s, "Inch to Metric"); }
static void BM_MetricToInchMenu(benchmark::State& s) { item(s, "Metric to Inch"); }
BENCHMARK(BM_SlideButton)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_SpinButton)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_FlipButton)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_FlopButton)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_SizeButton)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ToIncrementalMenu)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ToAbsoluteMenu)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_AddLineNumbersMenu)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_RemoveLineNumbersMenu)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_RemoveCommentsMenu)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_PackMenu)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_AddLineEndsMenu)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_RemoveLineEndsMenu)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_InchToMetricMenu)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_MetricToInchMenu)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
