// The geometric modifiers and the line-number, comment, blank, line-end and
// unit operations on a 1,000,000-line program, core only (lines in memory).
#include <benchmark/benchmark.h>

#include <functional>

#include "base/host.h"
#include "generate.h"
#include "plot/modifiers.h"
#include "settings/label_table.h"
#include "text/line_edits.h"

namespace {

constexpr std::size_t kLines = 1000000;

const std::vector<std::string>& Program() {
    static const std::vector<std::string> p = bench::GenerateProgram(kLines);
    return p;
}

tolva::AxisCodes Codes() {
    tolva::LabelTable t;
    const std::pair<int, const char*> cells[] = {
        {tolva::LabelRow::ArcCw, "G02"},        {tolva::LabelRow::ArcCcw, "G03"},
        {tolva::LabelRow::KerfCompLeft, "G41"}, {tolva::LabelRow::KerfCompRight, "G42"},
        {tolva::LabelRow::Absolute, "G90"},     {tolva::LabelRow::Incremental, "G91"},
        {tolva::LabelRow::NLetter, "N"},        {tolva::LabelRow::RLetter, "R"},
        {tolva::LabelRow::ILetter, "I"},        {tolva::LabelRow::JLetter, "J"},
        {tolva::LabelRow::KLetter, "K"},        {tolva::LabelRow::XLetter, "X"},
        {tolva::LabelRow::YLetter, "Y"},        {tolva::LabelRow::ZLetter, "Z"}};
    for (auto& [row, code] : cells) t.SetCell(1, row, code);
    return tolva::MakeAxisCodes(t, false, false);
}

void run(benchmark::State& state, const std::function<void(std::vector<std::string>&)>& op) {
    std::vector<std::string> lines;
    for (auto _ : state) {
        state.PauseTiming();
        lines = Program();
        state.ResumeTiming();
        op(lines);
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kLines));
}

void modifier(benchmark::State& state, char mode) {
    const tolva::AxisCodes codes = Codes();
    tolva::ModifierSettings s;
    s.decimals = 4;
    s.amount = 12.5;
    s.factor = 25.4;
    tolva::RecordingHost host;
    run(state, [&](std::vector<std::string>& lines) {
        const tolva::ModifierResult r = tolva::SLIDE2(mode, lines, codes, s, host);
        if (r.refused) state.SkipWithError(r.message.c_str());
    });
}

}  // namespace

static void BM_Slide(benchmark::State& s) { modifier(s, tolva::Modifier::UpRight); }
static void BM_Spin(benchmark::State& s) { modifier(s, tolva::Modifier::Spin); }
static void BM_Flip(benchmark::State& s) { modifier(s, tolva::Modifier::Flip); }
static void BM_Flop(benchmark::State& s) { modifier(s, tolva::Modifier::Flop); }
static void BM_Size(benchmark::State& s) { modifier(s, tolva::Modifier::Size); }
static void BM_ToIncremental(benchmark::State& s) { modifier(s, tolva::Modifier::ToIncremental); }
static void BM_ToAbsolute(benchmark::State& s) { modifier(s, tolva::Modifier::ToAbsolute); }
static void BM_Renumber(benchmark::State& s) {
    run(s, [](std::vector<std::string>& l) { tolva::Renumber(l, "N", 1000, 10); });
}
static void BM_RemoveNumbers(benchmark::State& s) {
    run(s, [](std::vector<std::string>& l) { tolva::RemoveNumbers(l, "N"); });
}
static void BM_RemoveComments(benchmark::State& s) {
    run(s, [](std::vector<std::string>& l) { tolva::RemoveComments(l, "(", ")"); });
}
static void BM_RemoveSpaces(benchmark::State& s) {
    run(s, [](std::vector<std::string>& l) { tolva::RemoveSpaces(l); });
}
static void BM_AddLineEnds(benchmark::State& s) {
    run(s, [](std::vector<std::string>& l) { tolva::AddLineEnds(l, "$;"); });
}
static void BM_RemoveLineEnds(benchmark::State& s) {
    run(s, [](std::vector<std::string>& l) { tolva::RemoveLineEnds(l, "(RAPID)"); });
}
BENCHMARK(BM_Slide)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Spin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Flip)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Flop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Size)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToIncremental)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToAbsolute)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Renumber)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveNumbers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveComments)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveSpaces)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddLineEnds)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveLineEnds)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
