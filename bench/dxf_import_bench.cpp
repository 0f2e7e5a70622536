// A whole import, drawing to finished program text: 100,000 pieces forming
// closed contours (rounded rectangles), shuffled in order and direction.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "base/program_file.h"
#include "dxf/dxf_import.h"
#include "settings/machine_settings.h"

namespace {

std::string generateContours(std::size_t pieces, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::string> entities;
    char buf[512];
    auto line = [&](double x1, double y1, double x2, double y2) {
        if (rng() % 2) std::swap(x1, x2), std::swap(y1, y2);  // either direction
        std::snprintf(buf, sizeof buf,
                      "  0\nLINE\n  8\n0\n 10\n%.4f\n 20\n%.4f\n 30\n0.0\n 11\n%.4f\n 21\n%.4f\n 31\n0.0\n", x1, y1,
                      x2, y2);
        entities.emplace_back(buf);
    };
    auto arc = [&](double cx, double cy, double r, double a1, double a2) {
        std::snprintf(buf, sizeof buf,
                      "  0\nARC\n  8\n0\n 10\n%.4f\n 20\n%.4f\n 30\n0.0\n 40\n%.4f\n 50\n%.4f\n 51\n%.4f\n", cx, cy, r,
                      a1, a2);
        entities.emplace_back(buf);
    };
    // Each contour: 4 sides and 4 corner arcs = 8 pieces, on a grid.
    const std::size_t contours = pieces / 8;
    const std::size_t perRow = 100;
    for (std::size_t c = 0; c < contours; ++c) {
        const double x = static_cast<double>(c % perRow) * 50.0, y = static_cast<double>(c / perRow) * 50.0;
        const double w = 30, h = 20, r = 4;
        line(x + r, y, x + w - r, y);
        arc(x + w - r, y + r, r, 270, 360);
        line(x + w, y + r, x + w, y + h - r);
        arc(x + w - r, y + h - r, r, 0, 90);
        line(x + w - r, y + h, x + r, y + h);
        arc(x + r, y + h - r, r, 90, 180);
        line(x, y + h - r, x, y + r);
        arc(x + r, y + r, r, 180, 270);
    }
    std::shuffle(entities.begin(), entities.end(), rng);
    std::string out = "  0\nSECTION\n  2\nENTITIES\n";
    for (const auto& e : entities) out += e;
    out += "  0\nENDSEC\n  0\nEOF\n";
    return out;
}

void BM_ImportDxf(benchmark::State& state) {
    char buf[] = "/tmp/tolva-import-bench-XXXXXX";
    const std::string dir = ::mkdtemp(buf);
    const std::string path = dir + "/contours.dxf";
    tolva::WriteFileAtomic(path, generateContours(static_cast<std::size_t>(state.range(0)), 3));
    tolva::MachineSettings settings(dir);
    const char* rows[][2] = {{"0", "%"},  {"1", "G01"}, {"2", "G02"}, {"3", "G03"}, {"4", "G41"}, {"6", "G90"},
                             {"8", "M03"}, {"9", "M05"}, {"10", "M30"}, {"12", "N"}, {"13", "R"}, {"14", "I"},
                             {"15", "J"}, {"16", "K"}, {"17", "X"}, {"18", "Y"}, {"19", "Z"}, {"20", "G17"}};
    for (auto& r : rows) settings.SetCell(1, std::stoi(r[0]), r[1]);
    settings.SetText("EditLayer", "0");
    settings.SetText("DpEdit", "4");
    settings.SetText("ConnectEdit", "0.005");
    // Row 5 differs from row 4, so closed paths are oriented for left
    // compensation unless the second argument keeps the drawn direction.
    settings.SetCell(1, 5, "G42");
    settings.SetFlag("KeepDrawnDirection", state.range(1) != 0);
    std::size_t lines = 0;
    for (auto _ : state) {
        tolva::DxfImportResult r = tolva::ImportDxf(path, settings);
        if (r.kind != tolva::DxfImportResult::Program) state.SkipWithError(r.message.c_str());
        lines = r.lines.size();
    }
    state.counters["program_lines"] = static_cast<double>(lines);
    std::filesystem::remove_all(dir);
}
// Side by side: {pieces, keep drawn direction}: 1 as before orientation, 0
// with closed paths oriented.
BENCHMARK(BM_ImportDxf)->Args({100000, 1})->Args({100000, 0})->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);

}  // namespace

BENCHMARK_MAIN();
