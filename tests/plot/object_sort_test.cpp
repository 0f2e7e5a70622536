// Ordering closed paths and moving a start point. The sorts are checked on
// hand-made cases and generated programs, and the sorted programs are run on
// LinuxCNC's interpreter.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "base/folders.h"
#include "dxf/dxf_import.h"
#include "interpreter_rig.h"
#include "replot_sort.h"
#include "rs274_oracle.h"
#include "plot/object_sort.h"
#include "text/compress.h"
#include "text/label_code.h"

namespace tolva {
namespace {

using Lines = std::vector<std::string>;
using test::InterpreterRig;

struct SortRig : InterpreterRig {
    SortRig() {
        settings.SetCell(1, LabelRow::KerfCompLeft, "G41");
        settings.SetCell(1, LabelRow::KerfCompRight, "G42");
    }
    Lines Sort(Lines lines, ObjectOrder order) {
        const ObjectSortResult r = SortObjects(lines, order, interp, host, ScratchFolder());
        EXPECT_TRUE(r.file.ok) << r.file.message;
        return lines;
    }
    Lines Largest(Lines lines) {
        LargestObjectToBottom(lines, interp, host);
        return lines;
    }
};

// A closed rectangle, side lengths a and b, approached at rapid from outside.
Lines Rect(int x, int y, int a, int b) {
    Lines l;
    auto p = [](int x, int y) { return "X" + std::to_string(x) + " Y" + std::to_string(y); };
    l.push_back("G00 " + p(x, y));
    l.push_back("M03");
    l.push_back("G01 " + p(x + a, y));
    l.push_back("G01 " + p(x + a, y + b));
    l.push_back("G01 " + p(x, y + b));
    l.push_back("G01 " + p(x, y));
    l.push_back("M05");
    return l;
}

Lines Join(std::initializer_list<Lines> parts) {
    Lines out;
    for (const Lines& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Three paths of lengths 10, 4 and 7, framed as the DXF import frames them
// (a kerf line before the first).
TEST(ObjectSort, OrdersBySizeBothWaysBetweenHeaderAndLastLine) {
    SortRig rig;
    const Lines ten = Rect(0, 0, 3, 2), four = Rect(20, 0, 1, 1);
    Lines seven = Rect(40, 0, 2, 1);
    seven[2] = "G01 X41.5 Y0";  // 1.5 by 2
    seven[3] = "G01 X41.5 Y2";
    seven[4] = "G01 X40 Y2";
    const Lines head = {"%", "G90", "G41"}, tail = {"M30"};
    const Lines program = Join({head, ten, four, seven, tail});
    EXPECT_EQ(rig.Sort(program, ObjectOrder::Ascending), Join({head, four, seven, ten, tail}));
    EXPECT_EQ(rig.Sort(program, ObjectOrder::Descending), Join({head, ten, seven, four, tail}));
    EXPECT_EQ(rig.Largest(program), Join({head, four, seven, ten, tail}));
    EXPECT_EQ(rig.Largest(Join({head, four, seven, ten, tail})), Join({head, four, seven, ten, tail}));

    // Equal sizes keep their order under both sorts.
    const Lines p = Rect(0, 0, 2, 1), q = Rect(10, 0, 1, 2), r = Rect(20, 0, 3, 3);
    const Lines ties = Join({head, p, r, q, tail});
    EXPECT_EQ(rig.Sort(ties, ObjectOrder::Ascending), Join({head, p, q, r, tail}));
    EXPECT_EQ(rig.Sort(ties, ObjectOrder::Descending), Join({head, r, p, q, tail}));
}

TEST(ObjectSort, ScratchFileFailureLeavesTheProgramAsItWas) {
    SortRig rig;
    const Lines program = Join({{"G90"}, Rect(0, 0, 5, 5), Rect(20, 0, 1, 1), {"M30"}});
    Lines lines = program;
    const ObjectSortResult r = SortObjects(lines, ObjectOrder::Ascending, rig.interp, rig.host, "/nonexistent-tolva");
    EXPECT_FALSE(r.file.ok);
    EXPECT_FALSE(r.file.message.empty());
    EXPECT_EQ(lines, program);
}

TEST(ObjectSort, ProgramWithoutObjectsIsLeftAlone) {
    SortRig rig;
    const Lines program = {"G90", "G01 X1", "G01 X2", "M30"};
    EXPECT_EQ(rig.Sort(program, ObjectOrder::Ascending), program);
    EXPECT_EQ(rig.Largest(program), program);
}

// A program whose last line is an End Block line: every object moves whole,
// nothing of the header follows the objects, no line is lost.
TEST(ObjectSort, LastLineInsideAnObjectMovesWithIt) {
    SortRig rig;
    const Lines head = {"%", "G90", "G41"};
    const Lines big = Rect(0, 0, 5, 5), small = Rect(20, 0, 1, 1);
    const Lines program = Join({head, small, big});
    EXPECT_EQ(rig.Sort(program, ObjectOrder::Descending), Join({head, big, small}));
    EXPECT_EQ(rig.Sort(Join({head, big, small}), ObjectOrder::Ascending), Join({head, small, big}));
    // The largest object already ends the program: it stays, whole.
    EXPECT_EQ(rig.Largest(program), program);
    EXPECT_EQ(rig.Largest(Join({head, big, small})), Join({head, small, big}));
}

// A second End Block after a path closes no object of its own: the header
// it would have dragged along stays at the top.
TEST(ObjectSort, CutOffWithoutItsOwnCutOnClosesNoObject) {
    SortRig rig;
    const Lines head = {"G90", "M05"};
    const Lines big = Rect(0, 0, 5, 5), small = Rect(20, 0, 1, 1);
    const Lines program = Join({head, big, {"(END)", "M05"}, small, {"M30"}});
    EXPECT_EQ(rig.Sort(program, ObjectOrder::Ascending), Join({head, {"(END)", "M05"}, small, big, {"M30"}}));
}

// Hand-written paths without a kerf line: the first keeps its approach.
TEST(ObjectSort, FirstPathWithoutBoundaryKeepsItsApproach) {
    SortRig rig;
    const Lines head = {"%", "G21 G90 F100"};
    const Lines s1 = Rect(0, 0, 10, 10), s2 = Rect(20, 0, 4, 4), s3 = Rect(40, 0, 7, 7);
    const Lines program = Join({head, s1, s2, s3, {"M30"}});
    EXPECT_EQ(rig.Sort(program, ObjectOrder::Ascending), Join({head, s2, s3, s1, {"M30"}}));
    EXPECT_EQ(rig.Sort(program, ObjectOrder::Descending), Join({head, s1, s3, s2, {"M30"}}));
    EXPECT_EQ(rig.Largest(program), Join({head, s2, s3, s1, {"M30"}}));
    // The approach is the run of lines with X, Y or Z words, back to one without.
    const Lines lines = {"G90", "G00 Z5", "(START)", "G00 Z2", "G00 X1 Y1", "M03"};
    EXPECT_EQ(ObjectFirstLine(lines, 5, (rig.interp.Setaxis(), rig.interp.Codes())), 3);
}

// The plot of a sorted program of five hand-written squares cuts exactly the
// squares' edges: no cutting line joins two squares. (The plot starts with
// the cutting pen, so the move from program zero to the first square, the
// only one from there, is left out.)
TEST(ObjectSort, SortedSquaresCutOnlyTheirEdges) {
    SortRig rig;
    const Lines program = Join({{"%", "G21 G90 F100"}, Rect(5, 5, 10, 10), Rect(25, 5, 4, 4), Rect(45, 5, 7, 7),
                                Rect(5, 25, 2, 2), Rect(25, 25, 5, 5), {"M30"}});
    auto cuts = [&](const Lines& l) {
        rig.Plot(l);
        std::multiset<std::tuple<int, int, int, int>> red;
        for (const auto& s : rig.canvas.Segments())
            if (s.colour == kRed && !(s.from == InterpreterRig::At(0, 0)))
                red.insert({s.from.x, s.from.y, s.to.x, s.to.y});
        return red;
    };
    const auto original = cuts(program);
    ASSERT_EQ(original.size(), 20u);
    for (const Lines& sorted : {rig.Sort(program, ObjectOrder::Ascending), rig.Sort(program, ObjectOrder::Descending),
                                rig.Largest(program)}) {
        EXPECT_EQ(cuts(sorted), original);
        EXPECT_EQ(sorted.size(), program.size());
    }
}

// The five squares as LinuxCNC runs them after each sort: the spindle runs
// only on the four edges of one square at a time, starting at its corner.
TEST(ObjectSort, SortedSquaresRunOnLinuxCncWithoutFeedBetweenSquares) {
    SortRig rig;
    const Lines program = Join({{"%", "G21 G90 F100"}, Rect(0, 0, 10, 10), Rect(20, 0, 4, 4), Rect(40, 0, 7, 7),
                                Rect(0, 20, 2, 2), Rect(20, 20, 5, 5), {"M30"}});
    for (const Lines& sorted : {rig.Sort(program, ObjectOrder::Ascending), rig.Sort(program, ObjectOrder::Descending),
                                rig.Largest(program)}) {
        std::vector<test::CanonMove> canon;
        ASSERT_NO_FATAL_FAILURE(test::Rs274(sorted, canon));
        double x = 0, y = 0, startX = 0, startY = 0;
        bool on = false;
        int squares = 0, edges = 0;
        for (const test::CanonMove& m : canon) {
            if (m.kind == test::CanonMove::SpindleOn) {
                on = true;
                startX = x;
                startY = y;
                edges = 0;
            } else if (m.kind == test::CanonMove::SpindleOff && on) {
                on = false;
                ++squares;
                EXPECT_EQ(edges, 4);
                EXPECT_EQ(x, startX);
                EXPECT_EQ(y, startY);
            } else if (m.kind == test::CanonMove::Feed) {
                EXPECT_TRUE(on) << "a feed move with the spindle off";
                EXPECT_TRUE(m.x == x || m.y == y) << "a feed across, not along an edge";
                ++edges;
            } else {
                EXPECT_NE(m.kind, test::CanonMove::Arc);
            }
            if (m.kind == test::CanonMove::Feed || m.kind == test::CanonMove::Traverse) {
                x = m.x;
                y = m.y;
            }
        }
        EXPECT_EQ(squares, 5);
    }
}

// Generated programs: the one-plot sort gives the text of the re-plot sort.
// Object sizes do not depend on the lines before them (each path starts with
// its own approach), and are exact in 32 bits where two can be equal.
class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) {}
    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    // `arcs`: circles among the paths; all sizes then differ.
    Lines Program(bool arcs) {
        Lines l;
        const char* heads[] = {"%", "G90", "G21 G90 F100", "(PART)", "G00 Z5", "G00 X0 Y0"};
        for (int i = Int(0, 3); i > 0; --i) l.push_back(heads[Int(0, 5)]);
        std::set<int> sizes;
        const int n = Int(0, 7);
        for (int k = 0; k < n; ++k) {
            // All paths start on the X axis: every move then has a whole
            // length, and sums of them are exact in 32 bits.
            const int x = Int(0, 50) * 10, y = 0;
            // A kerf line before the path, sometimes after a line of no object.
            const int frame = Int(0, 3);
            if (frame == 3) l.push_back("M09");
            if (frame == 1 || frame == 3) l.push_back("G41");
            if (frame == 2) l.push_back("G42 D1");
            const int kind = Int(0, 9);
            if (kind == 0) {  // nothing cut: size 0
                l.push_back("G00 X" + std::to_string(x) + " Y" + std::to_string(y));
                l.push_back("M03");
                l.push_back("M05");
            } else if (kind <= 2 && arcs) {  // a circle, radius unique in the program
                int r;
                do r = Int(1, 40); while (!sizes.insert(1000 + r).second);
                const std::string c = "X" + std::to_string(x + r) + " Y" + std::to_string(y);
                l.push_back("G00 " + c);
                l.push_back("M03");
                l.push_back("G02 " + c + " I" + std::to_string(x) + " J" + std::to_string(y));
                l.push_back("M05");
            } else if (kind == 3) {  // a 3-4-5 triangle: 12
                if (arcs && !sizes.insert(12).second) continue;
                l.push_back("G00 X" + std::to_string(x) + " Y" + std::to_string(y));
                l.push_back("M03");
                l.push_back("G01 X" + std::to_string(x + 3) + " Y" + std::to_string(y));
                l.push_back("X" + std::to_string(x + 3) + " Y" + std::to_string(y + 4));
                l.push_back("G01 X" + std::to_string(x) + " Y" + std::to_string(y));
                l.push_back("M05");
            } else {
                int a, b;
                do {
                    a = Int(1, 4);
                    b = Int(1, 4);
                    if (arcs) {
                        a = Int(1, 60);
                        b = Int(1, 60);
                    }
                } while (arcs && !sizes.insert(2 * (a + b)).second);
                const Lines r = Rect(x, y, a, b);
                l.insert(l.end(), r.begin(), r.end());
            }
        }
        const int end = Int(0, 2);
        if (end == 0) l.push_back("M30");
        if (end == 1) {
            l.push_back("G00 X0 Y0");
            l.push_back("M30");
        }
        if (l.empty()) l.push_back("M30");
        return l;
    }

private:
    std::mt19937 rng_;
};

// Generated programs: the sorted program holds the same lines; what comes
// before the first object and after the last stays in place; the objects
// come out in order of size, equal sizes in program order.
TEST(ObjectSort, ObjectsAreReorderedInsideTheirSpanBySizeTiesInProgramOrder) {
    SortRig rig;
    Generator gen(20261208);
    int moved = 0;
    for (int i = 0; i < 400; ++i) {
        const Lines program = gen.Program(i % 2 == 1);
        Lines compressed = program;
        rig.interp.Setaxis();
        RemoveDup(0, compressed, rig.interp.Codes());
        const std::vector<ProgramObject> before = FindObjects(compressed, rig.interp, rig.host);
        for (ObjectOrder order : {ObjectOrder::Ascending, ObjectOrder::Descending}) {
            SCOPED_TRACE(testing::PrintToString(program));
            const Lines sorted = rig.Sort(program, order);
            ASSERT_EQ(std::multiset<std::string>(sorted.begin(), sorted.end()),
                      std::multiset<std::string>(compressed.begin(), compressed.end()));
            if (before.empty()) {
                EXPECT_EQ(sorted, compressed);
                continue;
            }
            const auto head = static_cast<std::ptrdiff_t>(before.front().MovesFrom);
            const auto tail = static_cast<std::ptrdiff_t>(compressed.size()) - before.back().EndLine - 1;
            EXPECT_TRUE(std::equal(compressed.begin(), compressed.begin() + head, sorted.begin()));
            EXPECT_TRUE(std::equal(compressed.end() - tail, compressed.end(), sorted.end() - tail));
            // Objects by their text (from the Begin Block line on), in program order.
            auto texts = [](const Lines& l, const std::vector<ProgramObject>& objects) {
                std::vector<std::pair<double, Lines>> out;
                for (const ProgramObject& o : objects)
                    out.push_back({o.Size, Lines(l.begin() + o.BeginLine, l.begin() + o.EndLine + 1)});
                return out;
            };
            std::vector<std::pair<double, Lines>> want = texts(compressed, before);
            std::stable_sort(want.begin(), want.end(), [&](const auto& a, const auto& b) {
                return order == ObjectOrder::Ascending ? a.first < b.first : a.first > b.first;
            });
            const auto got = texts(sorted, FindObjects(sorted, rig.interp, rig.host));
            ASSERT_EQ(got.size(), want.size());
            for (std::size_t k = 0; k < got.size(); ++k) EXPECT_EQ(got[k].second, want[k].second) << k;
            moved += sorted != compressed;
        }
    }
    EXPECT_GT(moved, 300);  // the programs do get reordered
}

// 20,000 squares of three sizes far from the origin, where a 32-bit running
// total no longer tells them apart: the sort groups them by size, each group
// in program order.
TEST(ObjectSort, TwentyThousandObjectsKeepEveryTieInProgramOrder) {
    SortRig rig;
    std::mt19937 rng(35);
    Lines program{"%", "G90", "G41"};
    std::vector<std::pair<int, Lines>> parts;
    for (int k = 0; k < 20000; ++k) {
        const int side = 1 + static_cast<int>(rng() % 3);
        Lines square = Rect(100000 + (k % 200) * 10, (k / 200) * 10, side, side);
        square[0] += " (PART " + std::to_string(k) + ")";
        program.insert(program.end(), square.begin(), square.end());
        parts.push_back({side, square});
    }
    program.push_back("M30");
    std::vector<std::pair<int, Lines>> want = parts;
    std::stable_sort(want.begin(), want.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    Lines expected{"%", "G90", "G41"};
    for (const auto& w : want) expected.insert(expected.end(), w.second.begin(), w.second.end());
    expected.push_back("M30");
    const Lines sorted = rig.Sort(program, ObjectOrder::Ascending);
    std::size_t d = 0;
    while (d < sorted.size() && d < expected.size() && sorted[d] == expected[d]) ++d;
    EXPECT_EQ(d, expected.size()) << (d < sorted.size() ? sorted[d] : "(end)") << " where "
                                  << (d < expected.size() ? expected[d] : "(end)") << " was expected";
}

// Programs of the DXF import have a boundary before every path: each object
// begins after it. Sorted, the head and the tail (compensation off, spindle
// stop, home return, program end) stay where they were.
TEST(ObjectSort, DxfProgramsKeepTheirHeadAndTail) {
    const std::string shipped = std::string(TOLVA_SOURCE_DIR) + "/data/";
    for (const char* machine : {"tolva.ini", "plasma.ini", "lathe.ini"}) {
        MachineSettings settings(ProgramFolder());
        settings.SetMachineFile(shipped + machine);
        ASSERT_TRUE(settings.Ldini().ok);
        const DxfImportResult imported = ImportDxf(shipped + "examples/plate.dxf", settings);
        ASSERT_EQ(imported.kind, DxfImportResult::Program) << imported.message;
        PlotState state;
        NullCanvas canvas;
        Interpreter interp(state, canvas, &settings);
        RecordingHost host;
        Lines compressed = imported.lines;
        RemoveDup(0, compressed, settings.Setaxis());
        const std::vector<ProgramObject> objects = FindObjects(compressed, interp, host);
        ASSERT_GE(objects.size(), 3u) << machine;
        for (const ProgramObject& o : objects)
            EXPECT_EQ(o.FirstLine, test::FirstLineWithoutApproach(compressed, o.BeginLine, interp.Codes())) << machine;
        Lines sorted = imported.lines;
        ASSERT_TRUE(SortObjects(sorted, ObjectOrder::Ascending, interp, host, ScratchFolder()).file.ok);
        EXPECT_NE(sorted, compressed) << machine;
        const auto tail = static_cast<std::ptrdiff_t>(compressed.size()) - objects.back().EndLine - 1;
        EXPECT_GE(tail, 2) << machine;
        EXPECT_TRUE(std::equal(compressed.end() - tail, compressed.end(), sorted.end() - tail)) << machine;
        EXPECT_TRUE(std::equal(compressed.begin(), compressed.begin() + objects.front().FirstLine, sorted.begin()))
            << machine;
    }
}

// Move starting point: the block L1..Lk becomes L2 (G M X Y Z and the rest
// only: the first cut keeps its motion code), L3..Lk, L1, L2.
TEST(MoveStart, RotatesTheBlockByOneLine) {
    RecordingHost host;
    const Letters letters;
    Lines lines = {"G90", "G00 X0 Y0", "G01 X1 Y0 F20", "X1 Y1", "X0 Y0", "M30"};
    ASSERT_TRUE(MoveStartForward(lines, 0, 4, letters, host));
    EXPECT_EQ(lines, (Lines{"G90", "G01 X1 Y0 F20", "X1 Y1", "X0 Y0", "G00 X0 Y0", "G01 X1 Y0 F20", "M30"}));
    EXPECT_TRUE(host.messages.empty());

    const Lines yOnly = {"G00 Y0", "G01 Y1 F20", "M30"};
    for (int count : {2, 1, 0}) {
        Lines l = yOnly;
        EXPECT_FALSE(MoveStartForward(l, -1, count, letters, host));
        EXPECT_EQ(l, yOnly);
    }
    // A one-line block would move a line from outside it.
    Lines l = {"G00 X0", "G01 X1", "M30"};
    EXPECT_FALSE(MoveStartForward(l, -1, 1, letters, host));
    ASSERT_EQ(host.messages.size(), 4u);
    EXPECT_EQ(host.messages[0], kMoveStartMessage);
    // A Y word is enough in a block of three.
    Lines three = {"G00 Y0", "G01 Y1 F20", "Y2", "M30"};
    EXPECT_TRUE(MoveStartForward(three, -1, 3, letters, host));
    EXPECT_EQ(three, (Lines{"G01 Y1 F20", "Y2", "G00 Y0", "G01 Y1 F20", "M30"}));
}

}  // namespace
}  // namespace tolva
