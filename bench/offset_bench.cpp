// The cutter offset's automatic run over a program of 10,000 cut blocks, each
// a closed contour of straight moves and an arc as the DXF import writes
// them (about 80,000 lines).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "settings/label_table.h"
#include "tools/offset.h"

namespace {

tolva::OffsetSettings MillSettings() {
    tolva::LabelTable t;
    const std::pair<int, const char*> cells[] = {
        {tolva::LabelRow::Line, "G01"},       {tolva::LabelRow::ArcCw, "G02"},  {tolva::LabelRow::ArcCcw, "G03"},
        {tolva::LabelRow::Rapid, "G00"},      {tolva::LabelRow::BeginBlock, "M03"},
        {tolva::LabelRow::EndBlock, "M05"},   {tolva::LabelRow::FileEnd, "M30"}};
    for (auto& [row, code] : cells) t.SetCell(1, row, code);
    const char* letters = "NRIJKXYZ";
    for (int i = 0; i < 8; ++i) t.SetCell(1, tolva::LabelRow::NLetter + i, std::string(1, letters[i]));
    tolva::OffsetSettings s;
    s.codes = tolva::MakeAxisCodes(t, false, false);
    s.decimals = 4;
    return s;
}

// A 10 x 10 square with a half-circle bump on its far side, every 20 units.
std::vector<std::string> Program(int contours) {
    std::vector<std::string> p = {"G90", "G17"};
    char buf[96];
    for (int k = 0; k < contours; ++k) {
        const double x = (k % 100) * 20.0, y = (k / 100) * 20.0;
        auto add = [&](const char* fmt, auto... v) {
            std::snprintf(buf, sizeof buf, fmt, v...);
            p.emplace_back(buf);
        };
        add("G00 X%.4f Y%.4f", x, y);
        p.emplace_back("M03");
        add("G01 X%.4f Y%.4f", x, y);
        add("G01 X%.4f Y%.4f", x + 10, y);
        add("G01 X%.4f Y%.4f", x + 10, y + 10);
        add("G03 X%.4f Y%.4f I%.4f J%.4f", x, y + 10, x + 5, y + 10);
        add("G01 X%.4f Y%.4f", x, y);
        p.emplace_back("M05");
    }
    p.emplace_back("M30");
    return p;
}

void OffsetEveryCutBlock(benchmark::State& state) {
    const std::vector<std::string> program = Program(10000);
    const tolva::OffsetSettings s = MillSettings();
    for (auto _ : state) {
        tolva::OffsetReport report;
        std::vector<std::string> out = tolva::OffsetAuto(program, -1, 0, -0.125f, s, report);
        benchmark::DoNotOptimize(out.data());
        state.counters["lines"] = static_cast<double>(out.size());
    }
}
BENCHMARK(OffsetEveryCutBlock)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
