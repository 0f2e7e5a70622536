// Reversing the travel direction of a block: the lines written, and the path
// they draw, on our plot and on LinuxCNC's interpreter.
#include "app/swap_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>

#include "../plot/interpreter_rig.h"
#include "../plot/rs274_oracle.h"
#include "base/folders.h"
#include "text/compress.h"

namespace tolva {
namespace {

using Lines = std::vector<std::string>;

struct SwapRig {
    test::InterpreterRig plot;
    SwapOptions options;
    RecordingHost host;
    SwapRig() {
        options.cleanUp.codes = plot.settings.Setaxis();
        options.CurLine = 7;  // a plot has run
        options.DecimalPlaces = 4;
    }
    Lines Swap(Lines lines, int selStartLine, int count) {
        const SwapResult r = SwapBlock(lines, selStartLine, count, true, options, host, ScratchFolder());
        EXPECT_TRUE(r.file.ok) << r.file.message;
        return lines;
    }
};

TEST(SwapBlock, WritesEachArcFromItsOldEndWithTheOtherDirection) {
    SwapRig rig;
    const Lines reversed = {"G02 X1 Y1 I1 J0", "G01 X0 Y0"};
    EXPECT_EQ(SwapBlockLines(reversed, rig.options),
              (Lines{"", "G01X1 Y1 ", "G03 X0 Y0 I1 J0 ", "G01 X0 Y0 "}));
    // The arc code in its short form is an arc code all the same.
    EXPECT_EQ(SwapBlockLines({"G2 X1 Y1 I1 J0", "G01 X0 Y0"}, rig.options),
              (Lines{"", "G01X1 Y1 ", "G03 X0 Y0 I1 J0 ", "G01 X0 Y0 "}));
    // Centres as offsets from the start: taken from the new start point.
    rig.options.Bridgeport = true;
    EXPECT_EQ(SwapBlockLines(reversed, rig.options),
              (Lines{"", "G01X1 Y1 ", "G03 X0 Y0 I0.0000J-1.0000", "G01 X0 Y0 "}));
    // With the line counter at 0, a straight line is also written as it stands.
    rig.options.CurLine = 0;
    EXPECT_EQ(SwapBlockLines({"G01 X2 Y0 F100", "G01 X1 Y0"}, rig.options),
              (Lines{"", "F100", "G01 X2 Y0 F100", "G01 X2 Y0 ", "G01 X1 Y0 "}));
}

TEST(SwapBlock, RefusesIncrementalProgramsAndBeepsWithoutHighlight) {
    SwapRig rig;
    const Lines inc = {"G91", "G01 X1", "G01 Y1"};
    Lines lines = inc;
    EXPECT_FALSE(SwapBlock(lines, 0, 2, true, rig.options, rig.host, ScratchFolder()).changed);
    EXPECT_EQ(lines, inc);
    ASSERT_EQ(rig.host.messages.size(), 1u);
    EXPECT_EQ(rig.host.messages[0], kIncMessageErrText);
    // An incremental home return after the block leaves the block alone.
    const Lines tail = {"G90", "G01 X1", "G01 Y1", "G91 Z0. G28"};
    lines = tail;
    EXPECT_TRUE(SwapBlock(lines, 0, 2, true, rig.options, rig.host, ScratchFolder()).changed);
    EXPECT_EQ(rig.host.messages.size(), 1u);
    EXPECT_EQ(lines.back(), "G91 Z0. G28");
    const Lines abs = {"G90", "G01 X1", "G01 Y1"};
    lines = abs;
    EXPECT_FALSE(SwapBlock(lines, 0, 2, false, rig.options, rig.host, ScratchFolder()).changed);
    EXPECT_EQ(lines, abs);
    EXPECT_EQ(rig.host.beeps, 1);
    // A scratch file that cannot be written: the message, the program as it was.
    const SwapResult r = SwapBlock(lines, 0, 2, true, rig.options, rig.host, "/nonexistent-tolva");
    EXPECT_FALSE(r.file.ok);
    EXPECT_EQ(lines, abs);
}

TEST(SwapBlock, SwapXYPutsTheWordsOfTheLinesReadBackInItsOrder) {
    SwapRig rig;
    const Lines program = {"G90", "G01 X1 Y0 M08", "G01 X2 Y0", "M30"};
    EXPECT_EQ(rig.Swap(program, 0, 2), (Lines{"G90", "G01 X2 Y0 ", "G01 M08 X1 Y0 ", "M30"}));
    rig.options.SwapXY = true;
    EXPECT_EQ(rig.Swap(program, 0, 2), (Lines{"G90", "G01 X2 Y0 ", "G01 X1 Y0 M08 ", "M30"}));
}

// The X, Y, Z points of the lines that hold one, in order.
std::vector<std::tuple<float, float>> Points(const Lines& lines) {
    std::vector<std::tuple<float, float>> out;
    for (const std::string& l : lines) {
        const WordRead x = WordValue("X", l), y = WordValue("Y", l);
        if (x.found || y.found) out.emplace_back(x.value, y.value);
    }
    return out;
}

TEST(SwapBlock, StraightMovesSwappedTwiceComeBackInOrder) {
    SwapRig rig;
    const Lines program = {"G90", "G00 X0 Y0", "G01 X1 Y0 F100", "X3 Y2", "X3 Y5 F50", "G01 X-1 Y4", "X0 Y0", "M30"};
    const Lines once = rig.Swap(program, 1, 5);
    // Once: the block's points backwards, the block's size and the lines around it kept.
    EXPECT_EQ(Points(Lines(once.begin() + 2, once.begin() + 7)),
              (std::vector<std::tuple<float, float>>{{0, 0}, {-1, 4}, {3, 5}, {3, 2}, {1, 0}}));
    EXPECT_EQ(once.size(), program.size());
    EXPECT_EQ(once.back(), "M30");
    const Lines twice = rig.Swap(once, 1, 5);
    EXPECT_EQ(Points(twice), Points(program));
}

// A contour of lines and arcs in both directions, with centre words as
// offsets (Bridgeport) or absolute, or with radius words.
struct Contour {
    bool bridgeport;
    Lines block;
};
const Contour kContours[] = {
    {true, {"G01 X0 Y0", "G01 X20 Y0", "G03 X30 Y10 I0 J10", "G01 X30 Y30", "G02 X20 Y40 I-10 J0",
            "G01 X0 Y40", "G01 X0 Y0"}},
    {false, {"G01 X0 Y0", "G01 X20 Y0", "G03 X30 Y10 I20 J10", "G01 X30 Y30", "G02 X20 Y40 I20 J30",
             "G01 X0 Y40", "G01 X0 Y0"}},
    {true, {"G01 X0 Y0", "G01 X20 Y0", "G03 X30 Y10 R10", "G01 X30 Y30", "G02 X20 Y40 R10", "G01 X0 Y40",
            "G01 X0 Y0"}},
    // An arc that carries no code of its own: the G02 in force.
    {true, {"G01 X0 Y0", "G01 X20 Y0", "G03 X30 Y10 I0 J10", "G01 X30 Y30", "G02 X20 Y40 I-10 J0",
            "X10 Y30 I0 J-10", "G01 X0 Y30", "G01 X0 Y0"}},
};

Lines Program(const Contour& c) {
    Lines l = {"G21 G90 G17 F100", "G00 X0 Y0", "M03"};
    l.insert(l.end(), c.block.begin(), c.block.end());
    l.push_back("M05");
    l.push_back("M30");
    return l;
}

TEST(SwapBlock, ContourDrawsTheSameGeometry) {
    for (const Contour& c : kContours) {
        SwapRig rig;
        rig.plot.settings.SetFlag("Bridgeport", c.bridgeport);
        rig.options.Bridgeport = c.bridgeport;
        auto drawn = [&](const Lines& l) {
            rig.plot.Plot(l);
            std::set<std::tuple<int, int, int, int>> segments;
            for (const auto& s : rig.plot.canvas.Segments()) {
                if (s.from == s.to) continue;
                auto a = std::make_tuple(s.from.x, s.from.y), b = std::make_tuple(s.to.x, s.to.y);
                if (b < a) std::swap(a, b);
                segments.insert(std::tuple_cat(a, b));
            }
            return segments;
        };
        const Lines program = Program(c);
        const Lines swapped = rig.Swap(program, 2, static_cast<int>(c.block.size()));
        EXPECT_NE(swapped, program);
        EXPECT_EQ(drawn(swapped), drawn(program)) << c.block[2];
    }
}

// LinuxCNC runs the swapped contour as the same cuts backwards: every feed
// and arc of the original, from its end to its start, arcs turning the other
// way about the same centre.
TEST(SwapBlock, LinuxCncRunsTheSameCutsBackwards) {
    using test::CanonMove;
    struct Cut {
        double x0, y0, x1, y1, cx, cy;
        int turn;
        auto key() const { return std::tie(x0, y0, x1, y1, cx, cy, turn); }
        bool operator<(const Cut& o) const { return key() < o.key(); }
        bool operator==(const Cut& o) const { return key() == o.key(); }
    };
    auto round3 = [](double v) { return std::round(v * 1000) / 1000 + 0.0; };
    auto cuts = [&](const Lines& program, bool reverse) {
        std::vector<CanonMove> canon;
        std::multiset<Cut> out;
        test::Rs274(program, canon);
        double x = 0, y = 0;
        for (const CanonMove& m : canon) {
            if (m.kind != CanonMove::Feed && m.kind != CanonMove::Arc && m.kind != CanonMove::Traverse) continue;
            Cut c{round3(x), round3(y), round3(m.x), round3(m.y), 0, 0, 0};
            if (m.kind == CanonMove::Arc) {
                c.cx = round3(m.cx);
                c.cy = round3(m.cy);
                c.turn = m.turn;
            }
            x = m.x;
            y = m.y;
            if (m.kind == CanonMove::Traverse || (c.x0 == c.x1 && c.y0 == c.y1 && !c.turn)) continue;
            if (reverse) {
                std::swap(c.x0, c.x1);
                std::swap(c.y0, c.y1);
                c.turn = -c.turn;
            }
            out.insert(c);
        }
        return out;
    };
    for (const Contour& c : kContours) {
        SwapRig rig;
        rig.options.Bridgeport = c.bridgeport;
        Lines program = Program(c);
        // LinuxCNC takes centre words as absolute under G90.1.
        if (!c.bridgeport) program[0] += " G90.1";
        const Lines swapped = rig.Swap(program, 2, static_cast<int>(c.block.size()));
        std::multiset<Cut> original, backwards;
        ASSERT_NO_FATAL_FAILURE(original = cuts(program, false));
        ASSERT_NO_FATAL_FAILURE(backwards = cuts(swapped, true));
        EXPECT_EQ(original.size(), c.block.size() - 1);
        EXPECT_TRUE(original == backwards) << c.block[2];
    }
}

// Feed words travel with the moves and none is lost, also where a feed is
// carried on a line that only repeats its point.
TEST(SwapBlock, KeepsEveryFeedWord) {
    const Lines program = {"G90",         "G00 X0 Y0",        "G01 X10 Y0 F200", "G01 X10 Y0 F50",
                           "G01 X10 Y10", "G01 X10 Y10 F60", "X0 Y10 F75",      "M30"};
    for (int curLine : {7, 0}) {
        SwapRig rig;
        rig.options.CurLine = curLine;
        const Lines once = rig.Swap(program, 1, 5);
        // (With the line counter at 0 a straight line is also written as it
        // stands, so a feed may stand twice.)
        std::set<std::string> feeds, kept;
        for (const auto& l : program)
            if (auto p = l.find('F'); p != std::string::npos) feeds.insert(l.substr(p));
        for (const auto& l : once)
            if (auto p = l.find('F'); p != std::string::npos) kept.insert(l.substr(p, l.find(' ', p) - p));
        EXPECT_EQ(kept, feeds) << testing::PrintToString(once);
    }
}

// A line longer than 255 characters is swapped as the same line with a
// short comment is, its comment whole.
TEST(SwapBlock, KeepsLongLinesWhole) {
    const std::string note = "(" + std::string(300, 'L') + " END)";
    auto program = [](const std::string& comment) {
        return Lines{"G90", "G00 X0 Y0", "G01 X10 Y0 F200 " + comment, "G01 X10 Y10", "X0 Y10", "M30"};
    };
    SwapRig rig;
    Lines want = rig.Swap(program("(C)"), 1, 4);
    for (std::string& l : want)
        if (const auto at = l.find("(C)"); at != std::string::npos) l.replace(at, 3, note);
    EXPECT_EQ(rig.Swap(program(note), 1, 4), want);
}

}  // namespace
}  // namespace tolva
