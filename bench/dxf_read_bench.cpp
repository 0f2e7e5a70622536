// Reading a generated drawing of 100,000 entities into the SegmentFile.
// The drawing is left in the temporary folder as "tolva_dxf_bench.dxf" so
// that other readers can be timed on the same file.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "app/program_file.h"
#include "dxf/dxf_reader.h"
#include "dxf_generate.h"
#include "settings/label_table.h"

namespace {

tolva::DxfImportSettings Settings() {
    tolva::DxfImportSettings s;
    s.layer = "*";
    s.decimals = 4;
    tolva::LabelTable t;
    const char* codes[] = {"%", "G01", "G02", "G03", "G41", "G42", "G90", "G91", "M03", "M05",
                           "M30", "", "N", "R", "I", "J", "K", "X", "Y", "Z"};
    for (int r = 0; r < 20; ++r) t.SetCell(1, r, codes[r]);
    s.codes = tolva::MakeAxisCodes(t, false, false);
    return s;
}

void BM_ReadDxf(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path();
    const std::string path = (dir / "tolva_dxf_bench.dxf").string();
    const std::string scratch = (dir / "tolva_dxf_bench_scratch").string();
    std::filesystem::create_directories(scratch);
    tolva::WriteFileAtomic(path, bench::GenerateDxf(static_cast<std::size_t>(state.range(0))));
    const tolva::DxfImportSettings s = Settings();
    std::size_t lines = 0;
    for (auto _ : state) {
        tolva::DxfReadResult r = tolva::ReadDxfEntities(path, s, scratch);
        lines = r.segmentLines.size();
        benchmark::DoNotOptimize(lines);
    }
    state.counters["segment_lines"] = static_cast<double>(lines);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
}
BENCHMARK(BM_ReadDxf)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
