// Opening a 1,000,000-line program (about 27 MB) into the main editor, as
// "&Open ..." does: read, check, hand the bytes to the editor, measure extents.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "app/main_window.h"
#include "base/program_editor_qt.h"
#include "base/program_file.h"
#include "generate.h"
#include "plot/plot_window.h"
#include "settings/machine_settings.h"

namespace {
std::string gPath;
}

static void BM_OpenProgram(benchmark::State& state) {
    tolva::MachineSettings settings(std::filesystem::temp_directory_path().string());
    const char* letters[] = {"N", "R", "I", "J", "K", "X", "Y", "Z"};
    for (int i = 0; i < 8; ++i) settings.SetCell(1, 12 + i, letters[i]);
    TForm1 form1(settings, {});
    TForm2 form2(settings);
    QString name = QString::fromStdString(gPath);
    for (auto _ : state) {
        form1.Load_file(name);
        benchmark::DoNotOptimize(form1.RichEdit1->LineCount());
    }
    state.counters["lines"] = form1.RichEdit1->LineCount();
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(gPath)) / 1e6;
}
BENCHMARK(BM_OpenProgram)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5)->Repetitions(3)
    ->ReportAggregatesOnly(false);

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    char buf[] = "/tmp/tolva-bench-XXXXXX";
    std::string dir = ::mkdtemp(buf);
    gPath = dir + "/big.nc";
    tolva::WriteFileAtomic(gPath, tolva::JoinLines(bench::GenerateProgram(1000000), tolva::LineEnd::CRLF, true));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove_all(dir);
    return 0;
}
