// The batch run "Compress;Add Line Numbers;Translate Using table from setup
// window" on a 1,000,000-line program file, end to end as `tolva --run` does
// it after the machine file is loaded: read the file, the three operations,
// write the target. The goal is under 3 s for the whole command.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "app/batch_run.h"
#include "generate.h"
#include "settings/label_table.h"
#include "settings/machine_settings.h"

namespace {

namespace fs = std::filesystem;

void BM_BatchPipeline(benchmark::State& state) {
    const fs::path dir = fs::temp_directory_path() / ("tolva-batch-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string source = (dir / "big.nc").string(), target = (dir / "out.nc").string();
    {
        std::vector<std::string> program = bench::GenerateProgram(1000000);
        // Every tenth line repeated, so Compress also deletes.
        for (std::size_t i = 0; i + 1 < program.size(); i += 10) program[i + 1] = program[i];
        std::ofstream out(source, std::ios::binary);
        for (const auto& l : program) out << l << '\n';
    }
    tolva::MachineSettings settings(dir.string());
    const char* letters = "NRIJKXYZ";
    for (int i = 0; i < 8; ++i) settings.SetCell(1, tolva::LabelRow::NLetter + i, std::string(1, letters[i]));
    settings.SetCell(1, tolva::LabelRow::ArcCw, "G02");
    settings.SetCell(1, tolva::LabelRow::ArcCcw, "G03");
    settings.SetCell(1, tolva::LabelRow::Incremental, "G91");
    // Two translate pairs, as an older control wants its codes.
    settings.SetCell(0, 29, "G01");
    settings.SetCell(1, 29, "G1");
    settings.SetCell(0, 30, "G00");
    settings.SetCell(1, 30, "G0");
    settings.SetInt("StartLine", 10);
    settings.SetInt("LineNum", 10);
    tolva::RecordingHost host;
    const std::vector<std::string> args = {"Compress;Add Line Numbers;Translate Using table from setup window", source,
                                           target};
    for (auto _ : state) {
        const int status = tolva::RunBatchCommand(args, settings, host, dir.string());
        if (status != 0) state.SkipWithError("the batch run failed");
    }
    state.counters["lines"] = 1000000;
    fs::remove_all(dir);
}
BENCHMARK(BM_BatchPipeline)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
