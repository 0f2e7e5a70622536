// "Replace All" from the replace dialog on a 1,000,000-line program in the
// editor (about 100,000 matches), including the edit of the document.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>

#include <cstdlib>
#include <filesystem>

#include "app/find_window.h"
#include "app/main_window.h"
#include "base/program_editor_qt.h"
#include "base/program_file.h"
#include "compress_qt_main.h"
#include "generate.h"
#include "settings/machine_settings.h"

static void BM_ReplaceAllMenu(benchmark::State& state) {
    tolva::MachineSettings settings(std::filesystem::temp_directory_path().string());
    TForm1 form1(settings, {});
    form1.SetHost(std::make_unique<tolva::RecordingHost>());
    const std::string bytes = tolva::JoinLines(bench::GenerateProgram(1000000), tolva::LineEnd::CRLF, true);
    FindDialog& d = ReplaceDialogOf(form1);
    d.FindEdit->setText("M05");
    d.ReplaceEdit->setText("M5");
    for (auto _ : state) {
        state.PauseTiming();
        form1.RichEdit1->LoadBytes(bytes);
        form1.RichEdit1->SetCaret(0);
        state.ResumeTiming();
        d.Replace(true);
    }
    state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
}
BENCHMARK(BM_ReplaceAllMenu)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
