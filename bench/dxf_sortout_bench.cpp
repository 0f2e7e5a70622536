// Path assembly of a DXF import on a generated drawing: closed contours of
// straight pieces and arcs, every piece shuffled in file order and half of
// them drawn backwards, as a CAD program that writes entities in no useful
// order leaves them.
//
//   BM_ChainPieces       indexed SORTOUT3 in memory
//   BM_PathPasses        SORTOUT3, CrunchLines and RemoveDup2 on the pass files
//   BM_PassLoop          the plain pass loop, to show its growth
//   *Unlucky             one path whose pieces arrive in reverse: a pass per piece
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "dxf/pass_files.h"
#include "dxf/path_assembly.h"
#include "dxf/sortout_pass_loop.h"
#include "settings/label_table.h"
#include "text/number_format.h"

namespace {

using tolva::CoordinateText;

std::string Point(const char* code, double x, double y) {
    return std::string(code) + " X" + CoordinateText(x, 4) + " Y" + CoordinateText(y, 4) + " ";
}

// `pieces` pieces in closed contours of 3 to 40 pieces each, one contour per
// cell of a 100-unit grid; about one piece in five an arc.
std::vector<std::string> GenerateSegmentFile(std::size_t pieces, unsigned seed = 1) {
    std::mt19937 rng(seed);
    struct Piece {
        std::string start, end;
    };
    std::vector<Piece> all;
    all.reserve(pieces);
    const std::size_t columns = static_cast<std::size_t>(std::sqrt(double(pieces) / 10)) + 1;
    for (std::size_t contour = 0; all.size() < pieces; ++contour) {
        const std::size_t sides = std::min<std::size_t>(3 + rng() % 38, pieces - all.size());
        const double cx = 100.0 * double(contour % columns), cy = 100.0 * double(contour / columns);
        const double r = 10.0 + double(rng() % 30);
        auto vertex = [&](std::size_t k) {
            const double a = 2 * M_PI * double(k % sides) / double(sides);
            return std::pair<double, double>{cx + r * std::cos(a), cy + r * std::sin(a)};
        };
        for (std::size_t k = 0; k < sides; ++k) {
            auto [ax, ay] = vertex(k);
            auto [bx, by] = vertex(k + 1);
            const bool arc = rng() % 5 == 0, backwards = rng() % 2 == 0;
            if (backwards) std::swap(ax, bx), std::swap(ay, by);
            Piece p{Point("G01", ax, ay), Point("G01", bx, by)};
            if (arc)  // about the contour's centre; the code follows the direction drawn
                p.end = Point(backwards ? "G02" : "G03", bx, by) + " I" + CoordinateText(cx, 4) + " J" +
                        CoordinateText(cy, 4) + "  ";
            all.push_back(std::move(p));
        }
    }
    std::shuffle(all.begin(), all.end(), rng);
    std::vector<std::string> lines;
    lines.reserve(2 * all.size());
    for (Piece& p : all) {
        lines.push_back(std::move(p.start));
        lines.push_back(std::move(p.end));
    }
    return lines;
}

// The unlucky order: one zigzag path whose first piece comes first and the
// others in reverse, so that each pass of the plain loop joins one piece.
std::vector<std::string> GenerateUnluckyChain(std::size_t pieces) {
    std::vector<std::string> lines;
    lines.reserve(2 * pieces);
    auto add = [&](std::size_t k) {
        lines.push_back(Point("G01", double(k), double(k % 2)));
        lines.push_back(Point("G01", double(k + 1), double((k + 1) % 2)));
    };
    add(0);
    for (std::size_t k = pieces - 1; k > 0; --k) add(k);
    return lines;
}

tolva::PathAssemblySettings Settings() {
    tolva::LabelTable t;
    const char* codes[] = {"%",   "G01", "G02", "G03", "G41", "G42", "G90", "G91", "M03", "M05", "M30", "G04",
                           "N",   "R",   "I",   "J",   "K",   "X",   "Y",   "Z",   "G17", "G18", "G19"};
    for (int r = 0; r < 23; ++r) t.SetCell(1, r, codes[r]);
    tolva::PathAssemblySettings s;
    s.codes = tolva::MakeAxisCodes(t, false, false);
    return s;
}

// SORTOUT3 in memory, by `chain` (the indexed one or the pass loop).
template <typename Chain>
void RunChain(benchmark::State& state, Chain chain, bool unlucky = false) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const std::vector<std::string> segment = unlucky ? GenerateUnluckyChain(n) : GenerateSegmentFile(n);
    const tolva::PathAssemblySettings s = Settings();
    std::vector<std::string> out;
    for (auto _ : state) {
        out = chain(segment, s);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["pieces"] = double(n);
    state.counters["paths"] = double(std::count(out.begin(), out.end(), "M03 "));
    state.counters["lines_out"] = double(out.size());
    if (out != tolva::ChainPieces(segment, s)) state.SkipWithError("indexed and pass loop differ");
}

void BM_ChainPieces(benchmark::State& state) {
    RunChain(state, [](const auto& seg, const auto& s) { return tolva::ChainPieces(seg, s); });
}
BENCHMARK(BM_ChainPieces)->Arg(2000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_PassLoop(benchmark::State& state) {
    RunChain(state, [](const auto& seg, const auto& s) { return tolva::ChainPiecesPassLoop(seg, s); });
}
BENCHMARK(BM_PassLoop)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ChainPiecesUnlucky(benchmark::State& state) {
    RunChain(state, [](const auto& seg, const auto& s) { return tolva::ChainPieces(seg, s); }, true);
}
BENCHMARK(BM_ChainPiecesUnlucky)->Arg(2000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_PassLoopUnlucky(benchmark::State& state) {
    RunChain(state, [](const auto& seg, const auto& s) { return tolva::ChainPiecesPassLoop(seg, s); }, true);
}
BENCHMARK(BM_PassLoopUnlucky)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_PathPasses(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const std::vector<std::string> segment = GenerateSegmentFile(n);
    tolva::PathAssemblySettings s = Settings();
    s.lineComp = true;
    std::string folder = (std::filesystem::temp_directory_path() / "tolva-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) {
        state.SkipWithError("no scratch folder");
        return;
    }
    const std::string segmentBytes = tolva::JoinLines(segment, tolva::LineEnd::LF, true);
    std::size_t lines = 0;
    for (auto _ : state) {
        state.PauseTiming();
        tolva::WriteFileAtomic(tolva::PassFilePath(folder, tolva::PassFile::Segment), segmentBytes);
        state.ResumeTiming();
        bool ok = tolva::SORTOUT3(folder, s).ok && tolva::CrunchLines(folder, s).ok && tolva::RemoveDup2(folder, s).ok;
        if (!ok) {
            state.SkipWithError("a pass failed");
            break;
        }
        std::string bytes;  // what the editor then loads
        tolva::ReadFileBytes(tolva::PassFilePath(folder, tolva::PassFile::NewFile), bytes);
        lines = tolva::SplitLines(bytes).size();
    }
    state.counters["pieces"] = double(n);
    state.counters["lines_out"] = double(lines);
    tolva::DeletePassFiles(folder);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_PathPasses)->Arg(100000)->Unit(benchmark::kMillisecond);


}  // namespace

BENCHMARK_MAIN();
