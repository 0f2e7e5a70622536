// Reading a generated drawing of 100,000 entities into the SegmentFile.
// The drawing is left in the temporary folder as "tolva_dxf_bench.dxf" so
// that other readers can be timed on the same file.
//
// Two options besides Google Benchmark's own (bench/dxf_compare.sh uses them):
//   --write-drawing=PATH  writes the generated drawing to PATH and exits;
//   --drawing=PATH        times the reader on PATH instead of generating.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/program_file.h"
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

std::string gDrawing;  // --drawing: a given file instead of the generated one

void BM_ReadDxf(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path();
    std::string path = gDrawing;
    const std::string scratch = (dir / "tolva_dxf_bench_scratch").string();
    std::filesystem::create_directories(scratch);
    if (path.empty()) {
        path = (dir / "tolva_dxf_bench.dxf").string();
        tolva::WriteFileAtomic(path, bench::GenerateDxf(static_cast<std::size_t>(state.range(0))));
    }
    const tolva::DxfImportSettings s = Settings();
    std::size_t lines = 0;
    for (auto _ : state) {
        tolva::DxfReadResult r = tolva::ReadDxfEntities(path, s, scratch);
        lines = r.segmentLineCount;
        benchmark::DoNotOptimize(lines);
    }
    state.counters["segment_lines"] = static_cast<double>(lines);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
}
BENCHMARK(BM_ReadDxf)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--write-drawing=", 16) == 0) {
            const tolva::FileStatus st = tolva::WriteFileAtomic(argv[i] + 16, bench::GenerateDxf(100000));
            if (!st.ok) std::fprintf(stderr, "%s\n", st.message.c_str());
            return st.ok ? 0 : 1;
        }
        if (std::strncmp(argv[i], "--drawing=", 10) == 0) {
            gDrawing = argv[i] + 10;
            continue;
        }
        args.push_back(argv[i]);
    }
    int n = static_cast<int>(args.size());
    benchmark::Initialize(&n, args.data());
    if (benchmark::ReportUnrecognizedArguments(n, args.data())) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
