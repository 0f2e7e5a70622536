#include "tools/offset.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "settings/label_table.h"
#include "offset_path.h"

using namespace tolva;
using Lines = std::vector<std::string>;

namespace {

// A mill's codes: G00 rapid, G01 line, G02/G03 arcs, M03/M05 cut on/off, M30 end.
OffsetSettings Mill(int decimals = 4) {
    LabelTable t;
    const std::pair<int, const char*> cells[] = {
        {LabelRow::Line, "G01"},        {LabelRow::ArcCw, "G02"},     {LabelRow::ArcCcw, "G03"},
        {LabelRow::Rapid, "G00"},       {LabelRow::Incremental, "G91"}, {LabelRow::BeginBlock, "M03"},
        {LabelRow::EndBlock, "M05"},    {LabelRow::FileEnd, "M30"},   {LabelRow::NLetter, "N"},
        {LabelRow::RLetter, "R"},       {LabelRow::ILetter, "I"},     {LabelRow::JLetter, "J"},
        {LabelRow::KLetter, "K"},       {LabelRow::XLetter, "X"},     {LabelRow::YLetter, "Y"},
        {LabelRow::ZLetter, "Z"}};
    for (auto& [row, code] : cells) t.SetCell(1, row, code);
    OffsetSettings s;
    s.codes = MakeAxisCodes(t, false, false);
    s.decimals = decimals;
    return s;
}

// The whole program as the highlighted block.
Lines offsetBlock(const Lines& program, float d, const OffsetSettings& s = Mill(), OffsetReport* report = nullptr) {
    OffsetReport r;
    Lines out = OffsetAuto(program, -1, static_cast<int>(program.size()), d, s, r);
    if (report) *report = r;
    return out;
}

const Lines kOpen = {"G01 X0 Y0", "G01 X1 Y0", "G01 X1 Y1"};
const Lines kOpenLeft = {" ", "G01 X0.0000 Y0.1250 ", "G01 X0.8750 Y0.1250 ", "G01 X0.8750 Y1.0000 ", " "};

}  // namespace

TEST(Offset, OpenContourShiftsLeftForNegativeAndRightForPositive) {
    EXPECT_EQ(offsetBlock(kOpen, -0.125f), kOpenLeft);
    EXPECT_EQ(offsetBlock(kOpen, 0.125f),
              (Lines{" ", "G01 X0.0000 Y-0.1250 ", "G01 X1.1250 Y-0.1250 ", "G01 X1.1250 Y1.0000 ", " "}));
}

TEST(Offset, ClosedSquareGetsAMitredStartCornerAndEndsThere) {
    const Lines square = {"G01 X0 Y0", "G01 X1 Y0", "G01 X1 Y1", "G01 X0 Y1", "G01 X0 Y0"};
    EXPECT_EQ(offsetBlock(square, -0.125f),
              (Lines{" ", "G01 X0.1250 Y0.1250 ", "G01 X0.8750 Y0.1250 ", "G01 X0.8750 Y0.8750 ",
                     "G01 X0.1250 Y0.8750 ", "G01 X0.1250 Y0.1250 ", " "}));
}

TEST(Offset, ArcsKeepTheirCentreAndChangeTheirRadius) {
    OffsetReport r;
    // Clockwise about (1,0), radius 1: to the left is outwards.
    EXPECT_EQ(offsetBlock({"G01 X0 Y0", "G02 X1 Y1 I1 J0"}, -0.125f, Mill(), &r),
              (Lines{" ", "G01 X-0.1250 Y0.0000 ", "G02X1.0000 Y1.1250 I1.0000 J0.0000 ", " "}));
    EXPECT_EQ(r.Caption(), " Offsetting");
    EXPECT_EQ(r.MinRadText(4), "Min Rad = 1.0000");
    // Counter-clockwise: to the left is inwards.
    EXPECT_EQ(offsetBlock({"G01 X0 Y0", "G03 X1 Y-1 I1 J0"}, -0.125f),
              (Lines{" ", "G01 X0.1250 Y0.0000 ", "G03X1.0000 Y-0.8750 I1.0000 J0.0000 ", " "}));
    // A radius word keeps its form and its sign.
    EXPECT_EQ(offsetBlock({"G01 X0 Y0", "G02 X1 Y1 R1"}, -0.125f),
              (Lines{" ", "G01 X-0.1250 Y0.0000 ", "G02X1.0000 Y1.1250 R1.1250 ", " "}));
}

TEST(Offset, IncrementalCentresStayIncrementalAlsoForRadiusArcs) {
    OffsetSettings bp = Mill();
    bp.Bridgeport = true;
    // Centre (3,0) from the start (2,0): I1 J0.
    // The rapid to (2,0) places the start of the cut.
    const Lines want = {" ", "G01 X1.8750 Y0.0000 ", "G02X3.0000 Y1.1250 I1.1250 J0.0000 ", " "};
    EXPECT_EQ(offsetBlock({"G00 X2 Y0", "G02 X3 Y1 I1 J0"}, -0.125f, bp), want);
    EXPECT_EQ(offsetBlock({"G00 X2 Y0", "G02 X3 Y1 I3 J0"}, -0.125f), (Lines{" ", "G01 X1.8750 Y0.0000 ",
                                                                           "G02X3.0000 Y1.1250 I3.0000 J0.0000 ", " "}));
    // The radius form finds the same centre with either setting.
    const Lines radius = {" ", "G01 X1.8750 Y0.0000 ", "G02X3.0000 Y1.1250 R1.1250 ", " "};
    EXPECT_EQ(offsetBlock({"G00 X2 Y0", "G02 X3 Y1 R1"}, -0.125f, bp), radius);
    EXPECT_EQ(offsetBlock({"G00 X2 Y0", "G02 X3 Y1 R1"}, -0.125f), radius);
}

TEST(Offset, EveryLineThatMovesAddsAPointAndOthersAddNone) {
    // A move along Y alone is as much a move as one along X.
    EXPECT_EQ(offsetBlock({"G01 X0 Y0", "(note)", "G01 X1", "M08", "G01 Y1"}, -0.125f), kOpenLeft);
}

TEST(Offset, OmittedWordsTakeTheValuesThePlotGivesThem) {
    // X1 stays at Y0; an arc without J has its centre at J0.
    EXPECT_EQ(offsetBlock({"G01 X0 Y0", "G01 X1", "G01 X1 Y1"}, -0.125f), kOpenLeft);
    OffsetReport r;
    const Lines arc = offsetBlock({"G01 X0 Y0", "G02 X1 Y1 I1"}, -0.125f, Mill(), &r);
    EXPECT_EQ(arc, (Lines{" ", "G01 X-0.1250 Y0.0000 ", "G02X1.0000 Y1.1250 I1.0000 J0.0000 ", " "}));
    EXPECT_EQ(r.MinRadText(4), "Min Rad = 1.0000");
    // The first point's missing Y is where the program before the block left it.
    OffsetReport r2;
    const Lines prog = {"G00 X0 Y7", "G01 X0", "G01 X1", "G01 X1 Y8"};
    EXPECT_EQ(OffsetAuto(prog, 0, 3, -0.125f, Mill(), r2),
              (Lines{" ", "G01 X0.0000 Y7.1250 ", "G01 X0.8750 Y7.1250 ", "G01 X0.8750 Y8.0000 ", " "}));
}

TEST(Offset, TheMoveTypeIsTheLinesMotionCodeNotItsFirstGWord) {
    EXPECT_EQ(offsetBlock({"G90 G01 X0 Y0", "G90 G01 X1 Y0", "G40 G01 X1 Y1"}, -0.125f), kOpenLeft);
    // A rapid stays a rapid, and a line without a code moves as the one before.
    EXPECT_EQ(offsetBlock({"G01 X0 Y0", "G00 X1 Y0", "G01 X1 Y1", "X2 Y1"}, -0.125f),
              (Lines{" ", "G00 X0.0000 Y0.1250 ", "G00 X0.8750 Y0.1250 ", "G01 X0.8750 Y1.1250 ",
                     "G01 X2.0000 Y1.1250 ", " "}));
}

TEST(Offset, AShortRapidCodeIsNotFoundInsideALongerOne) {
    OffsetSettings s = Mill();
    s.codes.codes[LabelRow::Rapid] = "G0";
    s.codes.codes[LabelRow::Line] = "G1";
    EXPECT_EQ(MotionCodeOf("G01 X1", s.codes), kMotionLine);  // G01 is G1
    EXPECT_EQ(MotionCodeOf("G04 P1 X1", s.codes), -1);
    EXPECT_EQ(MotionCodeOf("G04 P1 G1 X1", s.codes), kMotionLine);
    EXPECT_EQ(MotionCodeOf("G0 X1", s.codes), kMotionRapid);
    EXPECT_EQ(MotionCodeOf("G17G0X1", s.codes), kMotionRapid);
    EXPECT_EQ(MotionCodeOf("G02 X1 I1", Mill().codes), kMotionCw);
}

TEST(Offset, ASingleMoveIsShiftedAlongItsLength) {
    EXPECT_EQ(offsetBlock({"G01 X0 Y0", "G01 X1 Y0"}, -0.125f),
              (Lines{" ", "G01 X0.0000 Y0.1250 ", "G01 X1.0000 Y0.1250 ", " "}));
}

// Convex polygons, closed, of straight moves, either way round: every
// written corner lies on both shifted lines it joins, on the side d says.
TEST(Offset, CornersOfRandomConvexPolygonsLieOnBothShiftedLines) {
    std::mt19937 rng(20261208);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const OffsetSettings s = Mill(4);
    int checked = 0;
    for (int trial = 0; trial < 300; ++trial) {
        const int n = 3 + static_cast<int>(unit(rng) * 9);
        const double cx = unit(rng) * 200 - 100, cy = unit(rng) * 200 - 100, rad = 1 + unit(rng) * 50;
        std::vector<double> angles;
        for (int k = 0; k < n; ++k) angles.push_back(unit(rng) * 2 * M_PI);
        std::sort(angles.begin(), angles.end());
        if (unit(rng) < 0.5) std::reverse(angles.begin(), angles.end());
        std::vector<PathPoint> poly;
        for (double a : angles) poly.push_back({cx + rad * std::cos(a), cy + rad * std::sin(a)});
        // Sides too short make the mitre meaningless, and corners sharper than
        // the mitre limit are rounded instead.
        bool usable = true;
        for (int k = 0; k < n; ++k) {
            const PathPoint a = poly[k], b = poly[(k + 1) % n], c = poly[(k + 2) % n];
            const double l1 = std::hypot(b.x - a.x, b.y - a.y), l2 = std::hypot(c.x - b.x, c.y - b.y);
            const double cosTurn = ((b.x - a.x) * (c.x - b.x) + (b.y - a.y) * (c.y - b.y)) / (l1 * l2);
            if (l1 < 0.5 || cosTurn < -0.85) usable = false;
        }
        if (!usable) continue;
        Lines prog = {"G00 X" + CoordinateTextForTest(poly[0].x) + " Y" + CoordinateTextForTest(poly[0].y)};
        for (int k = 1; k <= n; ++k) {
            const PathPoint p = poly[k % n];
            prog.push_back("G01 X" + CoordinateTextForTest(p.x) + " Y" + CoordinateTextForTest(p.y));
        }
        // The polygon as written (rounded to 4 decimals) is the one offset.
        std::vector<PathPoint> written;
        for (int k = 0; k < n; ++k) written.push_back(ReadPoint(prog[k]));  // the rapid places corner 0
        const double d = (unit(rng) < 0.5 ? -1 : 1) * (0.01 + unit(rng) * 0.5);
        const Lines out = offsetBlock(prog, static_cast<float>(d), s);
        ASSERT_EQ(out.size(), static_cast<std::size_t>(n) + 3) << trial;
        ++checked;
        for (int k = 0; k <= n; ++k) {
            const PathPoint v = ReadPoint(out[k + 1]);
            const int at = k % n;  // corner k of the polygon
            const PathPoint prev = written[(at + n - 1) % n], here = written[at], next = written[(at + 1) % n];
            EXPECT_NEAR(SignedDistanceRight(prev, here, v), static_cast<float>(d), 1e-3) << trial << " corner " << k;
            EXPECT_NEAR(SignedDistanceRight(here, next, v), static_cast<float>(d), 1e-3) << trial << " corner " << k;
        }
    }
    EXPECT_GT(checked, 100);
}

TEST(Offset, BadInputGivesAWarningOrNothingAndNeverAnUnsetNumber) {
    // One point: nothing to shift along.
    EXPECT_TRUE(offsetBlock({"G01 X0 Y0", "(end)"}, -0.125f).empty());
    // Coincident consecutive points count once.
    EXPECT_EQ(offsetBlock({"G01 X0 Y0", "G01 X0 Y0", "G01 X1 Y0", "G01 X1 Y0", "G01 X1 Y1"}, -0.125f), kOpenLeft);
    // An arc of radius 0.1 offset outwards-in by 0.125: computed, and told.
    OffsetReport r;
    const Lines small = offsetBlock({"G01 X0 Y0", "G03 X0.1 Y-0.1 I0.1 J0", "G01 X1 Y-0.1"}, -0.125f, Mill(), &r);
    EXPECT_EQ(r.Caption(), "Warning Offset > Arc Radius");
    EXPECT_EQ(r.MinRadText(4), "Min Rad = 0.1000");
    // A later arc that is large enough does not clear the warning.
    offsetBlock({"G01 X0 Y0", "G03 X0.1 Y-0.1 I0.1 J0", "G03 X1.1 Y-1.1 I1.1 J-0.1"}, -0.125f, Mill(), &r);
    EXPECT_EQ(r.Caption(), "Warning Offset > Arc Radius");
    // Reversals, a zero-length arc and huge words: finite numbers only.
    const Lines odd = offsetBlock({"G01 X0 Y0", "G01 X1 Y0", "G01 X0 Y0", "G02 X0 Y0 I0 J0", "G01 X1e99 Y2",
                                   "G02 X3 Y3 R0.01", "G01 X3 Y3"},
                                  0.125f, Mill(), &r);
    for (const Lines& out : {small, odd})
        for (const std::string& line : out) {
            EXPECT_EQ(line.find("NAN"), std::string::npos) << line;
            EXPECT_EQ(line.find("INF"), std::string::npos) << line;
            EXPECT_EQ(line.find("9999"), std::string::npos) << line;
        }
    // A non-number offset is -0.125.
    bool repaired = false;
    EXPECT_EQ(ReadOffsetValue("abc", repaired), -0.125f);
    EXPECT_TRUE(repaired);
    EXPECT_EQ(ReadOffsetValue(" 0.5", repaired), 0.5f);
    EXPECT_FALSE(repaired);
}

TEST(Offset, AutoOffsetsEveryCutBlockAndStopsAtOneWithoutCutOff) {
    const Lines prog = {"M05",       "G00 X0 Y0", "M03",       "G01 X0 Y0", "G01 X1 Y0", "G01 X1 Y1", "M05",
                        "G00 X5 Y0", "M03",       "G01 X5 Y0", "G01 X6 Y0", "M05",       "M03",       "G01 X9 Y9",
                        "G01 X9 Y8", "M30"};
    OffsetReport r;
    // The cut-off before the first cut-on belongs to no block.
    const Lines out = OffsetAuto(prog, 4, 0, -0.125f, Mill(), r);
    Lines want = kOpenLeft;
    for (const char* l : {" ", "G01 X5.0000 Y0.1250 ", "G01 X6.0000 Y0.1250 ", " "}) want.push_back(l);
    EXPECT_EQ(out, want);
}

TEST(Offset, OperationsPlaceTheResultAroundTheBlock) {
    const Lines result = {"a", "b"};
    Lines p = {"1", "2", "3", "4"};
    InsertBeforeLastLine(p, result);
    EXPECT_EQ(p, (Lines{"1", "2", "3", "a", "b", "4"}));
    p = {"1", "2", "3", "4"};
    InsertAboveBlock(p, result, 2);  // block lines 3..4: before line 2
    EXPECT_EQ(p, (Lines{"1", "2", "a", "b", "3", "4"}));
    p = {"1", "2"};
    InsertAboveBlock(p, result, -1);
    EXPECT_EQ(p, (Lines{"a", "b", "1", "2"}));
    p = {"1", "2", "3", "4"};
    InsertBelowBlock(p, result, 0, 2);  // block lines 2..3
    EXPECT_EQ(p, (Lines{"1", "2", "3", "a", "b", "4"}));
    p = {};
    InsertBeforeLastLine(p, result);
    EXPECT_EQ(p, result);
}

// Where a straight move meets an arc, or an arc an arc, at a corner, the
// shifted pieces meet where they cross (inside) or by an arc of radius |d|
// about the corner (outside): the offset path never comes nearer to the
// contour than |d|, nor strays farther, and every arc it writes is a true
// arc (the same radius at both ends).
TEST(Offset, CornersBetweenLinesAndArcsNeitherGougeNorGap) {
    struct Case {
        const char* what;
        Lines contour;
        bool closed;
    };
    const Case cases[] = {
        // A line, an arc turning 45 degrees left of it at (1,0), a line
        // leaving it 45 degrees left at (1,1).
        {"line-arc-line", {"G01 X0 Y0", "G01 X1 Y0", "G03 X1 Y1 I0.5 J0.5", "G01 X0 Y1"}, false},
        // Two clockwise arcs meeting at a 90 degree corner.
        {"arc-arc", {"G01 X0 Y0", "G02 X1 Y0 I0.5 J-0.5", "G02 X2 Y0 I1.5 J-0.5"}, false},
        // A closed D: the arc first, the straight side last.
        {"closed D, arc first", {"G01 X0 Y0", "G03 X0 Y2 I0 J1", "G01 X0 Y0"}, true},
        // The same D starting on its straight side.
        {"closed D, line first", {"G01 X0 Y2", "G01 X0 Y0", "G03 X0 Y2 I0 J1"}, true},
        // Two arcs closing a lens.
        {"closed lens", {"G01 X0 Y0", "G03 X2 Y0 I1 J1", "G03 X0 Y0 I1 J-1"}, true},
        // Straight back along a straight move: the tip is rounded, not mitred.
        {"slot, open", {"G01 X0 Y0", "G01 X10 Y0", "G01 X5 Y0"}, false},
        {"slot, closed", {"G01 X0 Y0", "G01 X10 Y0", "G01 X0 Y0"}, true},
    };
    for (const Case& c : cases)
        for (float d : {-0.125f, 0.125f}) {
            const Lines out = offsetBlock(c.contour, d);
            const OffsetMeasure m = MeasureOffset(c.contour, out);
            SCOPED_TRACE(std::string(c.what) + (d < 0 ? " left" : " right"));
            EXPECT_GT(m.nearest, 0.125 - 1e-3);
            EXPECT_LT(m.farthest, 0.125 + 1e-3);
            EXPECT_LT(m.arcMismatch, 1e-3);
            if (c.closed) {
                EXPECT_LT(m.closureGap, 1e-3);
            }
        }
    // The sides: d < 0 keeps the counter-clockwise D's offset inside it.
    for (float d : {-0.125f, 0.125f}) {
        const Path p = ReadPath(offsetBlock(cases[2].contour, d));  // the D
        double minX = p.start.x;
        for (const PathElement& e : p.elements) minX = std::min({minX, e.At(0.5).x, e.b.x});
        EXPECT_NEAR(minX, d < 0 ? 0.125 : -0.125, 1e-3);
    }
    // An outside corner is rounded: a line to the shifted end, then an arc
    // about the corner to the arc's shifted start.
    EXPECT_EQ(offsetBlock({"G01 X0 Y0", "G01 X1 Y0", "G03 X1 Y1 I0.5 J0.5"}, 0.125f),
              (Lines{" ", "G01 X0.0000 Y-0.1250 ", "G01 X1.0000 Y-0.1250 ", "G03X1.0884 Y-0.0884 I1.0000 J0.0000 ",
                     "G03X1.0884 Y1.0884 I0.5000 J0.5000 ", " "}));
}

namespace {
// The X Y points of result lines, read by their letters whatever their order.
std::vector<PathPoint> pointsOf(const Lines& out) {
    std::vector<PathPoint> p;
    for (const std::string& l : out)
        if (WordValue("X", l).found) p.push_back(ReadPoint(l));
    return p;
}
}  // namespace

// Programs as people write them: the move to the start, the cut-on, the
// contour. The contour starts where the tool stands at the cut-on, closes
// only where it ends at its start, and keeps the program's geometry whatever
// letters "Swap X Y" puts on the plot's axes.
TEST(Offset, RealContoursFromWhereTheCutStarts) {
    const Lines square = {"G00 X0 Y0", "M03", "G01 X10 Y0", "G01 X10 Y10", "G01 X0 Y10", "G01 X0 Y0", "M05", "M30"};
    OffsetReport r;
    EXPECT_EQ(OffsetAuto(square, 0, 0, 1.0f, Mill(), r),
              (Lines{" ", "G01 X-1.0000 Y-1.0000 ", "G01 X11.0000 Y-1.0000 ", "G01 X11.0000 Y11.0000 ",
                     "G01 X-1.0000 Y11.0000 ", "G01 X-1.0000 Y-1.0000 ", " "}));
    EXPECT_TRUE(r.refused.empty());

    // Through its first point and on: open, and its overlapping pieces cannot
    // be offset without the result crossing itself. Nothing is written, and
    // the message names the line.
    const Lines twice = {"G00 X36 Y100", "M03", "G01 X36 Y140", "G01 X36 Y100", "G01 X36 Y140", "M05", "M30"};
    OffsetReport r2;
    EXPECT_TRUE(OffsetAuto(twice, 0, 0, 2.0f, Mill(), r2).empty());
    ASSERT_EQ(r2.refused.size(), 1u);
    EXPECT_EQ(r2.RefusalText().rfind("Line 5: the contour cannot be offset by 2.0000", 0), 0u) << r2.RefusalText();

    // A helix keeps its Z change; inside a full circle of radius 5 by 1.
    EXPECT_EQ(offsetBlock({"G00 X0 Y0 Z0", "G03 X0 Y0 Z-1 I5 J0"}, -1.0f),
              (Lines{" ", "G01 X1.0000 Y0.0000 Z0.0000 ", "G03X1.0000 Y0.0000 Z-1.0000 I5.0000 J0.0000 ", " "}));

    // "Swap X Y" exchanges the plot's axis letters; the program's X and Y stay.
    LabelTable t;
    const std::pair<int, const char*> cells[] = {{LabelRow::Line, "G01"},    {LabelRow::ArcCw, "G02"},
                                                 {LabelRow::ArcCcw, "G03"},  {LabelRow::Rapid, "G00"},
                                                 {LabelRow::ILetter, "I"},   {LabelRow::JLetter, "J"},
                                                 {LabelRow::XLetter, "X"},   {LabelRow::YLetter, "Y"},
                                                 {LabelRow::RLetter, "R"},   {LabelRow::ZLetter, "Z"}};
    for (auto& [row, code] : cells) t.SetCell(1, row, code);
    OffsetSettings swapped = Mill();
    swapped.codes = MakeAxisCodes(t, true, false);
    swapped.SwapXY = true;
    ASSERT_EQ(swapped.codes.letters.X, "Y");
    for (const Lines& contour : {kOpen, Lines{"G01 X0 Y0", "G02 X1 Y1 I1 J0", "G01 X3 Y1"}})
        for (float d : {-0.125f, 0.125f}) {
            const std::vector<PathPoint> plain = pointsOf(offsetBlock(contour, d)),
                                         swap = pointsOf(offsetBlock(contour, d, swapped));
            ASSERT_EQ(plain.size(), swap.size());
            for (std::size_t k = 0; k < plain.size(); ++k) {
                EXPECT_EQ(plain[k].x, swap[k].x) << k;
                EXPECT_EQ(plain[k].y, swap[k].y) << k;
            }
        }
    EXPECT_EQ(pointsOf(offsetBlock(kOpen, -0.125f, swapped))[1].y, 0.125f);  // left of +X is +Y
}
