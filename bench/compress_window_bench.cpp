// "Compress" and "Super Compress" from the menu on a 1,000,000-line program:
// read the editor's lines, compress, write back as one undoable edit.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>

#include "app/edit_ops_window.h"
#include "app/main_window.h"
#include "base/program_editor_qt.h"
#include "base/program_file.h"
#include "compress_qt_main.h"
#include "generate.h"
#include "settings/machine_settings.h"

namespace {

std::string Bytes() {
    std::vector<std::string> p = bench::GenerateProgram(1000000);
    for (std::size_t i = 0; i + 1 < p.size(); i += 10) p[i + 1] = p[i];
    return tolva::JoinLines(p, tolva::LineEnd::CRLF, true);
}

void run(benchmark::State& state, int super) {
    tolva::MachineSettings settings(std::filesystem::temp_directory_path().string());
    const char* letters = "NRIJKXYZ";
    for (int i = 0; i < 8; ++i) settings.SetCell(1, 12 + i, std::string(1, letters[i]));
    settings.SetCell(1, 2, "G02");
    settings.SetCell(1, 3, "G03");
    settings.SetCell(1, 7, "G91");
    TForm1 form1(settings, {});
    const std::string bytes = Bytes();
    for (auto _ : state) {
        state.PauseTiming();
        form1.RichEdit1->LoadBytes(bytes);
        state.ResumeTiming();
        CompressClick(form1, settings, super);
        benchmark::DoNotOptimize(form1.RichEdit1->LineCount());
    }
    state.counters["lines"] = form1.RichEdit1->LineCount();
}

}  // namespace

static void BM_CompressMenu(benchmark::State& state) { run(state, 0); }
static void BM_SuperCompressMenu(benchmark::State& state) { run(state, 1); }
BENCHMARK(BM_CompressMenu)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SuperCompressMenu)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
