// A long program's lines are read on a second thread ahead of the plot. The
// plot must come out exactly as when every line is read and interpreted in
// turn, also when it is stopped or the codes change while it runs.
#include <algorithm>
#include <functional>
#include <random>
#include <gtest/gtest.h>

#include "interpreter_rig.h"

using namespace tolva;
using tolva::test::InterpreterRig;

namespace {

// Every kind of line the interpreter tells apart, in random order: moves,
// arcs by centre and by radius in the three planes, modes, cut on and off,
// stop markers hiding codes, long and empty lines, words that do not read.
std::vector<std::string> RandomProgram(int lines, unsigned seed) {
    std::mt19937 rng(seed);
    auto num = [&](int range) {
        return std::to_string(static_cast<int>(rng() % (2 * range + 1)) - range) + "." +
               std::to_string(rng() % 1000);
    };
    const std::vector<std::function<std::string()>> kinds = {
        [&] { return "G01 X" + num(50) + " Y" + num(50); },
        [&] { return "G00 X" + num(50) + " Y" + num(50) + " Z" + num(5); },
        [&] { return "G02 X" + num(50) + " Y" + num(50) + " I" + num(10) + " J" + num(10); },
        [&] { return "G03 X" + num(50) + " Y" + num(50) + " R" + num(20); },
        [&] { return "G18 G02 X" + num(20) + " Z" + num(20) + " I" + num(5) + " K" + num(5); },
        [&] { return "G19 G03 Y" + num(20) + " Z" + num(20) + " J" + num(5) + " K" + num(5); },
        [&] { return std::string("G17"); },
        [&] { return std::string(rng() % 2 ? "G91" : "G90"); },
        [&] { return std::string(rng() % 2 ? "M03" : "M05"); },
        [&] { return "X" + num(30) + " (M05 G91 G02 X9)"; },
        [&] { return "Y" + num(30) + " ; G18 M03"; },
        [&] { return std::string(""); },
        [&] { return "X1e999 Y-nan I" + num(3); },
        [&] { return std::string(300, 'X') + "5"; },
        [&] { return "N" + std::to_string(rng() % 10000) + " G01 X" + num(50) + " F300"; },
    };
    std::vector<std::string> out;
    for (int i = 0; i < lines; ++i) out.push_back(kinds[rng() % kinds.size()]());
    return out;
}

// The same program interpreted one line at a time on this thread.
void PlotLineByLine(InterpreterRig& rig, const std::vector<std::string>& lines,
                    const std::function<void(int)>& atLine = {}) {
    VectorLines text(lines);
    text.MainEditor = true;
    rig.interp.MainLineCount = static_cast<int>(lines.size());
    rig.interp.SetupPlot(true);
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        rig.state.CurLine = i;
        if (atLine) atLine(i);
        rig.interp.SinglestepPlot(text, true);
    }
}

void ExpectSamePlot(InterpreterRig& a, InterpreterRig& b) {
    const auto& sa = a.canvas.Segments();
    const auto& sb = b.canvas.Segments();
    ASSERT_EQ(sa.size(), sb.size());
    for (std::size_t i = 0; i < sa.size(); ++i) {
        ASSERT_TRUE(sa[i].from == sb[i].from && sa[i].to == sb[i].to && sa[i].colour == sb[i].colour &&
                    sa[i].width == sb[i].width)
            << "segment " << i;
    }
    EXPECT_EQ(a.state.TotalDist, b.state.TotalDist);
    EXPECT_EQ(a.state.RapidDist, b.state.RapidDist);
    EXPECT_EQ(a.state.MaxX, b.state.MaxX);
    EXPECT_EQ(a.state.MinY, b.state.MinY);
    EXPECT_EQ(a.state.PrevX, b.state.PrevX);
    EXPECT_EQ(a.state.Plane, b.state.Plane);
    EXPECT_EQ(a.state.AbsMode, b.state.AbsMode);
    ASSERT_EQ(a.view.summaries.size(), 1u);
    ASSERT_EQ(b.view.summaries.size(), 1u);
    EXPECT_EQ(a.view.summaries[0].Caption, b.view.summaries[0].Caption);
    EXPECT_EQ(a.view.summaries[0].Area, b.view.summaries[0].Area);
}

// Runs a hook on every "let events run" of the plot.
class HookHost : public RecordingHost {
public:
    std::function<void()> onEvents;
    void ProcessEvents() override {
        if (onEvents) onEvents();
    }
};

}  // namespace

TEST(ReadAhead, ALongPlotDrawsWhatLineByLineDraws) {
    const auto program = RandomProgram(60000, 5);
    InterpreterRig ahead, single;
    ASSERT_EQ(ahead.Plot(program), Interpreter::PlotEnd::Finished);
    PlotLineByLine(single, program);
    ExpectSamePlot(ahead, single);
    EXPECT_GT(ahead.canvas.Segments().size(), 30000u);
}

TEST(ReadAhead, CodesChangedWhileEventsRunTakeEffectFromThatLine) {
    // At the 25th "let events run" (line 24000) the cut-on code becomes M07.
    const auto program = RandomProgram(50000, 9);
    auto switchCodes = [](InterpreterRig& rig) {
        rig.settings.SetCell(1, LabelRow::BeginBlock, "M05");
        rig.settings.SetCell(1, LabelRow::EndBlock, "M03");
        rig.interp.Setaxis();
    };
    InterpreterRig ahead, single;
    HookHost host;
    int calls = 0;
    host.onEvents = [&] {
        if (++calls == 25) switchCodes(ahead);
    };
    VectorLines text(program);
    text.MainEditor = true;
    ahead.interp.MainLineCount = static_cast<int>(program.size());
    ASSERT_EQ(ahead.interp.PlotAll(text, false, true, 0, 0, host), Interpreter::PlotEnd::Finished);
    PlotLineByLine(single, program, [&](int line) {
        if (line == 24000) switchCodes(single);
    });
    ExpectSamePlot(ahead, single);
}

TEST(ReadAhead, EscStopsTheReadingAndLeavesAClearedCanvas) {
    const auto program = RandomProgram(200000, 3);
    InterpreterRig rig;
    HookHost host;
    int calls = 0;
    host.onEvents = [&] {
        if (++calls == 7) rig.state.AbortPlot = true;
    };
    VectorLines text(program);
    rig.interp.MainLineCount = static_cast<int>(program.size());
    EXPECT_EQ(rig.interp.PlotAll(text, false, true, 0, 0, host), Interpreter::PlotEnd::Aborted);
    EXPECT_TRUE(rig.canvas.Segments().empty());
    EXPECT_EQ(calls, 7);
    // And the interpreter plots again afterwards.
    EXPECT_EQ(rig.Plot(RandomProgram(30000, 4)), Interpreter::PlotEnd::Finished);
    EXPECT_FALSE(rig.canvas.Segments().empty());
}

TEST(ReadAhead, TheTextMovesMidPlotAndThePlotGoesOnWithTheSameText) {
    // As when pending events edit the document the plot reads: the plot is
    // handed a copy, and the bytes it read are then overwritten.
    const auto program = RandomProgram(60000, 12);
    std::string bytes;
    for (const auto& line : program) bytes += line + "\n";
    InterpreterRig clean, moved;
    ASSERT_EQ(clean.Plot(program), Interpreter::PlotEnd::Finished);

    ByteLines lines(bytes);
    lines.MainEditor = true;
    moved.interp.MainLineCount = lines.Count();
    std::string copy;
    HookHost host;
    int calls = 0;
    host.onEvents = [&] {
        if (++calls != 17) return;
        moved.interp.TextMoving([&] {
            copy = bytes;
            lines.Rebase(copy);
        });
        std::fill(bytes.begin(), bytes.end(), 'X');
    };
    ASSERT_EQ(moved.interp.PlotAll(lines, false, true, 0, 0, host), Interpreter::PlotEnd::Finished);
    EXPECT_GT(calls, 17);
    ExpectSamePlot(moved, clean);
}
