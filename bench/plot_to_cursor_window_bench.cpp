// "Plot to Cursor" against "Plot" over a generated 200,000-line program (the
// plot benchmark's mix of short moves, arcs and rapids) in
// the windows (main editor and plot window, offscreen): the caret on the
// last line, so both draw the whole program. Plot to Cursor draws single-step
// (the window repainted as it grows) and lets the editor follow; the figure
// that matters is the ratio of the two times (aim: at most 2).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSpinBox>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/app_state.h"
#include "app/main_window.h"
#include "base/program_editor_qt.h"
#include "base/program_file.h"
#include "base/qt_host_qt.h"
#include "generate.h"
#include "plot/plot_window.h"
#include "settings/machine_settings.h"

namespace {

constexpr int kLines = 200000;

struct Windows {
    tolva::MachineSettings settings{std::filesystem::temp_directory_path().string()};
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    Windows() {
        const char* letters[] = {"N", "R", "I", "J", "K", "X", "Y", "Z"};
        for (int i = 0; i < 8; ++i) settings.SetCell(1, 12 + i, letters[i]);
        settings.SetCell(1, 1, "G01");
        settings.SetCell(1, 2, "G02");
        settings.SetCell(1, 3, "G03");
        settings.SetCell(1, 8, "M03");
        settings.SetCell(1, 9, "M05");
        form1 = std::make_unique<TForm1>(settings, QStringList{});
        form1->SetHost(std::make_unique<tolva::RecordingHost>(false));
        form2 = std::make_unique<TForm2>(settings);
        form1->resize(900, 800);
        form2->resize(900, 800);
        form1->show();
        form2->show();
        // 100 x 100 units at 7 pixels a unit: the whole drawing on the canvas.
        form1->RichEdit1->LoadBytes(bench::GeneratePlotProgram(kLines, 100.0));
        form2->SpinEdit1->setValue(7000);
        QApplication::processEvents();
    }
};

Windows* gWindows = nullptr;  // made on first use, gone before the application

Windows& W() {
    if (!gWindows) gWindows = new Windows;
    return *gWindows;
}

void BM_Plot(benchmark::State& st) {
    Windows& w = W();
    for (auto _ : st) w.form2->Redraw();
    st.counters["lines"] = w.form1->RichEdit1->LineCount();
}

void BM_PlotToCursor(benchmark::State& st) {
    Windows& w = W();
    const int n = w.form1->RichEdit1->LineCount();
    for (auto _ : st) {
        tolva::App().SelStartLine = n - 1;  // the caret below the last line
        w.form2->SpeedButton10Click();
        if (w.form2->State().CurLine != n - 1) st.SkipWithError("did not reach the last line");
    }
    st.counters["lines"] = n;
}

}  // namespace

BENCHMARK(BM_Plot)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);
BENCHMARK(BM_PlotToCursor)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    delete gWindows;
    return 0;
}
