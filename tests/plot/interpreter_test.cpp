// The interpreter end to end: program lines in, canvas segments and
// PlotState out. Pixel (100 + Y, 460 + X) is program point (X, Y) at the
// default origin and View Scale 1000; the program's X runs down the screen.
#include <cmath>
#include <random>
#include <gtest/gtest.h>

#include "interpreter_rig.h"
#include "text/number_format.h"

using namespace tolva;
using tolva::test::InterpreterRig;
using Seg = RecordingCanvas::Segment;

namespace {

constexpr double kPi = 3.14159265358979323846;

void ExpectSeg(const Seg& s, Pixel from, Pixel to, Colour c, int width = 1) {
    EXPECT_EQ(s.from, from) << "from " << s.from.x << "," << s.from.y;
    EXPECT_EQ(s.to, to) << "to " << s.to.x << "," << s.to.y;
    EXPECT_EQ(s.colour, c);
    EXPECT_EQ(s.width, width);
}

// Every point drawn, as a lines-only export writes each move: a chain from
// the move's start.
std::vector<test::RecordingDxf::Point> Points(const InterpreterRig& r) { return r.dxf.ChainPoints(); }

}  // namespace

// ---------------------------------------------------------------- moves

TEST(InterpreterMoves, CutMovesRedRapidMovesBlueXDownTheScreen) {
    InterpreterRig r;
    r.Plot({"G00 X0 Y0", "M03", "G01 X10 Y0", "G01 X10 Y20", "M05", "G00 X0 Y0"});
    const auto& s = r.canvas.Segments();
    ASSERT_EQ(s.size(), 3u);
    ExpectSeg(s[0], r.At(0, 0), r.At(10, 0), kRed);  // X10: ten pixels down
    EXPECT_EQ(s[0].to, (Pixel{100, 470}));
    ExpectSeg(s[1], r.At(10, 0), r.At(10, 20), kRed);
    ExpectSeg(s[2], r.At(10, 20), r.At(0, 0), kBlue);
    EXPECT_NEAR(r.state.TotalDist, 30 + std::sqrt(500.0), 1e-4);
    EXPECT_FLOAT_EQ(r.state.MaxX, 10);
    EXPECT_FLOAT_EQ(r.state.MaxY, 20);
    EXPECT_EQ(r.state.Largest.Length, 30);
    EXPECT_EQ(r.state.Largest.StartLine, 1);
    EXPECT_EQ(r.state.Largest.EndLine, 4);
}

TEST(InterpreterMoves, FirstLineIsNeverDrawnNorCounted) {
    InterpreterRig r;
    r.Plot({"G01 X50 Y50", "G01 X60 Y50"});
    ASSERT_EQ(r.canvas.Segments().size(), 1u);
    // The pen was at program zero: the first line moved the position only.
    ExpectSeg(r.canvas.Segments()[0], r.At(0, 0), r.At(60, 50), kRed);
    EXPECT_FLOAT_EQ(r.state.MinX, 0);
    EXPECT_FLOAT_EQ(r.state.MaxX, 60);
}

TEST(InterpreterMoves, AbsentWordsContributeNoLengthAndKeepThePosition) {
    InterpreterRig r;
    r.Plot({"", "G01 X3", "Y4", "Z12"});
    EXPECT_NEAR(r.state.TotalDist, 3 + 4 + 12, 1e-5);
    EXPECT_EQ(r.state.PrevX, 3);
    EXPECT_EQ(r.state.PrevY, 4);
    EXPECT_EQ(r.state.PrevZ, 12);
}

TEST(InterpreterMoves, IncrementalModeAddsToThePosition) {
    InterpreterRig r;
    r.Plot({"", "G91 G01 X5 Y5", "X5", "G90 X0 Y0"});
    const auto& s = r.canvas.Segments();
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0].to, r.At(5, 5));
    EXPECT_EQ(s[1].to, r.At(10, 5));
    EXPECT_EQ(s[2].to, r.At(0, 0));
}

TEST(InterpreterMoves, ScaleSignsAndLatheDiameter) {
    InterpreterRig r;
    r.view.scaleValue = 2000;
    r.settings.SetFlag("XsignCheckBox", true);
    r.settings.SetFlag("Xdiv2", true);
    r.Plot({"", "G01 X20 Y3"});
    // X20 is a diameter: 10 units, times -1, times 2 pixels per unit.
    ASSERT_EQ(r.canvas.Segments().size(), 1u);
    EXPECT_EQ(r.canvas.Segments()[0].to, (Pixel{106, 440}));
    EXPECT_EQ(r.state.XSign, -1);
    EXPECT_EQ(r.state.PrevX, -20);
}

TEST(InterpreterMoves, ASemicolonCommentAndSmallLettersReadAsAControlReadsThem) {
    InterpreterRig r;
    r.Plot({"", "g01 x1 y1", "G01 X2 ; Y99 IS THE NEXT PART", "x3 (X50)"});
    std::vector<Pixel> ends;
    for (const auto& seg : r.canvas.Segments()) ends.push_back(seg.to);
    EXPECT_EQ(ends, (std::vector<Pixel>{r.At(1, 1), r.At(2, 1), r.At(3, 1)}));
}

TEST(InterpreterMoves, ALongLineIsReadWhole) {
    // The word tools read past 255 characters; so does the plot.
    InterpreterRig r;
    std::string l = "G01 X7" + std::string(249, ' ');  // 255 characters
    r.Plot({"", l + "Y9"});
    const auto& s = r.canvas.Segments();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].to, r.At(7, 9));
}

// ---------------------------------------------------------------- modes

TEST(InterpreterModes, TextAfterAStopMarkerNeverSetsAMode) {
    InterpreterRig r;
    r.Plot({"", "G01 X5 (G02 M05 G91 G19)", "X10 ; M05"});
    EXPECT_FALSE(r.state.ArcCw);
    EXPECT_TRUE(r.state.AbsMode);
    EXPECT_EQ(r.state.Plane, 1);
    for (const auto& s : r.canvas.Segments()) EXPECT_EQ(s.colour, kRed);
    EXPECT_EQ(r.state.PrevX, 10);
}

TEST(InterpreterModes, GWordWithoutArcCodeCancelsArcModeOtherLinesKeepIt) {
    InterpreterRig r;
    r.Plot({"", "G02 X0 Y20 I0 J10", "X0 Y40 I0 J10"});
    EXPECT_TRUE(r.state.ArcCw);  // no G word: arc mode stays
    r.Plot({"", "G02 X0 Y20 I0 J10", "G01 X5"});
    EXPECT_FALSE(r.state.ArcCw);
    EXPECT_FALSE(r.state.ArcCcw);
}

TEST(InterpreterModes, LoneIOrJInPlaneXYGetsItsPartner) {
    PlotWords w;
    w.I = {5.0f, true};
    Interpreter::ZeroIOrJ(w);
    EXPECT_TRUE(w.J.found);
    EXPECT_EQ(w.J.value, 0.0f);
    PlotWords v;
    v.J = {2.0f, true};
    Interpreter::ZeroIOrJ(v);
    EXPECT_TRUE(v.I.found);
    EXPECT_EQ(v.I.value, 0.0f);
}

TEST(InterpreterModes, CentreWordsWithoutArcModeDrawNothingButMove) {
    InterpreterRig r;
    r.Plot({"", "X1 I0.5"});
    EXPECT_TRUE(r.canvas.Segments().empty());
    EXPECT_EQ(r.state.PrevX, 1);
    EXPECT_EQ(r.state.TotalDist, 0);
}

TEST(InterpreterModes, RadiusWordOnALineWithoutArcCodeIsIgnored) {
    InterpreterRig r;
    r.Plot({"", "G02 X0 Y20 R10", "X0 Y40 R10"});
    // Line 2 has no arc code: R is ignored, no centre word, a straight move.
    EXPECT_NEAR(r.state.TotalDist, kPi * 10 + 20, 1e-3);
    EXPECT_EQ(r.canvas.Segments().back().to, r.At(0, 40));
    EXPECT_EQ(r.canvas.Segments().back().from, r.At(0, 20));
}

TEST(InterpreterModes, HighlightedBlockIsBlackWidthTwoThenRedAgain) {
    InterpreterRig r;
    r.state.SelStartLine = 1;  // lines 2 and 3 highlighted
    r.state.SelLineCount = 2;
    r.Plot({"", "G01 X1", "X2", "X3", "X4", "X5"});
    const auto& s = r.canvas.Segments();
    ASSERT_EQ(s.size(), 5u);
    EXPECT_EQ(s[0].colour, kRed);
    ExpectSeg(s[1], r.At(1, 0), r.At(2, 0), kBlack, 2);
    ExpectSeg(s[2], r.At(2, 0), r.At(3, 0), kBlack, 2);
    ExpectSeg(s[3], r.At(3, 0), r.At(4, 0), kRed, 1);  // the line after the block
    ExpectSeg(s[4], r.At(4, 0), r.At(5, 0), kRed, 1);
}

TEST(InterpreterModes, CommentsGiveNoWords) {
    InterpreterRig r;
    r.settings.SetCell(1, LabelRow::StopA, "");  // no stop marker: the comment is read as a comment
    r.Plot({"", "G01 X10 (X50 Y80 I5)", "Y20 (SET Z-5)"});
    const auto& s = r.canvas.Segments();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].to, r.At(10, 0));
    EXPECT_EQ(s[1].to, r.At(10, 20));
    EXPECT_EQ(r.state.PrevZ, 0);
    EXPECT_FLOAT_EQ(r.state.MaxX, 10);
    EXPECT_FLOAT_EQ(r.state.MaxY, 20);
}

TEST(InterpreterModes, ALoneIOrJInPlaneXYIsPairedForTheArc) {
    // With "Z Included" on, an XY arc needs both I and J: the lone one gets
    // its partner 0 before that test, in absolute and incremental mode.
    const char* programs[][2] = {{"G90", "G02 X0 Y20 J10"}, {"G90", "G03 X20 Y0 I10"},
                                 {"G91", "G02 X0 Y20 J10"}, {"G91", "G03 X20 Y0 I10"}};
    for (const auto& p : programs) {
        InterpreterRig r;
        r.settings.SetFlag("IncludeZCheckBox", true);
        r.Plot({p[0], p[1]});
        EXPECT_NEAR(r.state.TotalDist, kPi * 10, 1e-3) << p[0] << " " << p[1];
        ASSERT_FALSE(r.canvas.Segments().empty()) << p[0] << " " << p[1];
        EXPECT_EQ(r.canvas.Segments().back().to, std::string(p[1]).find("Y20") != std::string::npos ? r.At(0, 20) : r.At(20, 0));
    }
}

TEST(InterpreterMoves, EndPointsAndCentresInAbsoluteAndIncrementalMode) {
    // From (2, 3, 1) a clockwise half circle to (2, 13, 1) round (2, 8) and a
    // straight move to (6, 13, -1), written every way the modes allow. In
    // absolute mode I J are the centre itself unless Bridgeport is on;
    // otherwise they are offsets from the start.
    struct Case {
        bool bridgeport;
        const char* mode;
        const char* arc;
        const char* line;
    };
    const Case cases[] = {
        {false, "G90", "G02 X2 Y13 Z1 I2 J8", "G01 X6 Y13 Z-1"},
        {true, "G90", "G02 X2 Y13 Z1 I0 J5", "G01 X6 Y13 Z-1"},
        {false, "G91", "G02 X0 Y10 Z0 I0 J5", "G01 X4 Y0 Z-2"},
        {true, "G91", "G02 X0 Y10 Z0 I0 J5", "G01 X4 Y0 Z-2"},
    };
    for (const Case& c : cases) {
        InterpreterRig r;
        r.settings.SetFlag("Bridgeport", c.bridgeport);
        r.TapPoints();
        r.Plot({"", "G01 X2 Y3 Z1", c.mode, c.arc});
        const std::string what = std::string(c.mode) + (c.bridgeport ? " Bridgeport " : " ") + c.arc;
        EXPECT_EQ(r.state.CentreX, 2.0f) << what;
        EXPECT_EQ(r.state.CentreY, 8.0f) << what;
        EXPECT_EQ(r.state.Radius, 5.0f) << what;
        EXPECT_NEAR(r.state.PrevX, 2, 1e-5) << what;
        EXPECT_NEAR(r.state.PrevY, 13, 1e-5) << what;
        EXPECT_NEAR(r.state.PrevZ, 1, 1e-5) << what;
        // The arc passes X = 2 - 5 (clockwise in the plot's sense) and not X = 7.
        double minX = 1e9, maxX = -1e9;
        for (const auto& p : Points(r)) minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        EXPECT_NEAR(minX, -3, 1e-2) << what;
        EXPECT_NEAR(maxX, 2, 1e-2) << what;
        r.Plot({"", "G01 X2 Y3 Z1", c.mode, c.arc, c.line});
        EXPECT_EQ(r.state.PrevX, 6.0f) << what;
        EXPECT_EQ(r.state.PrevY, 13.0f) << what;
        EXPECT_EQ(r.state.PrevZ, -1.0f) << what;
    }
}

// ---------------------------------------------------------------- arcs

TEST(InterpreterArcs, ClockwiseHalfCircleInXYPassesMinusX) {
    InterpreterRig r;
    r.settings.SetInt("PlotResSpinEdit", 10);  // step about 1 rad at radius 10
    r.Plot({"", "G02 X0 Y20 I0 J10"});
    const auto& s = r.canvas.Segments();
    // Steps at pi, pi-1, pi-2, pi-3 from the start, then the end point.
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s.front().from, r.At(0, 0));
    EXPECT_EQ(s.back().to, r.At(0, 20));
    // Clockwise with X up and Y right: from (0,0) round (0,10) through X -10,
    // which is up the screen.
    EXPECT_EQ(s[0].to, (Pixel{100 + 5, 460 - 8}));  // (-8.41, 4.60)
    EXPECT_EQ(s[1].to, (Pixel{100 + 14, 460 - 9}));  // (-9.09, 14.16)
    for (const auto& g : s) EXPECT_LE(g.to.y, 460);
    EXPECT_NEAR(r.state.TotalDist, kPi * 10, 1e-3);
    EXPECT_EQ(r.state.PrevY, 20);
}

TEST(InterpreterArcs, CounterClockwiseHalfCircleInXYPassesPlusX) {
    InterpreterRig r;
    r.Plot({"", "G03 X0 Y20 I0 J10"});
    const auto& s = r.canvas.Segments();
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(s.front().from, r.At(0, 0));
    EXPECT_EQ(s.back().to, r.At(0, 20));
    for (const auto& g : s) EXPECT_GE(g.to.y, 460);
    bool reached = false;
    for (const auto& g : s) reached |= g.to == r.At(10, 10);
    EXPECT_TRUE(reached);
}

TEST(InterpreterArcs, AbsoluteCentreWithAndWithoutBridgeport) {
    for (bool bridgeport : {false, true}) {
        InterpreterRig r;
        r.settings.SetFlag("Bridgeport", bridgeport);
        r.Plot({"", "G01 X2 Y0", "G02 X10 Y0 I5 J0"});
        EXPECT_EQ(r.state.CentreX, bridgeport ? 7.0f : 5.0f);
        EXPECT_EQ(r.state.CentreY, 0.0f);
    }
    // Incremental mode: always an offset from the start.
    InterpreterRig r;
    r.Plot({"", "G01 X2 Y0", "G91 G02 X8 Y0 I5 J0"});
    EXPECT_EQ(r.state.CentreX, 7.0f);
}

TEST(InterpreterArcs, XZPlaneDrawsTheModalDirectionExchanged) {
    // G02 in G18 from X0 Z0 round X10 Z0 to X20: with Z to the right and X
    // up, clockwise passes Z -10. The plot gets there by stepping the
    // counter-clockwise case.
    for (bool cw : {true, false}) {
        InterpreterRig r;
        r.settings.SetFlag("IncludeZCheckBox", true);
        r.TapPoints();
        r.Plot({"G18", cw ? "G02 X20 Z0 I10 K0" : "G03 X20 Z0 I10 K0"});
        // The arc is on line 1; line 0 only selected the plane.
        const auto pts = Points(r);
        ASSERT_GE(pts.size(), 3u);
        EXPECT_NEAR(pts.front().x, 0, 1e-3);
        EXPECT_NEAR(pts.back().x, 20, 1e-3);
        double minZ = 0, maxZ = 0;
        for (const auto& p : pts) {
            minZ = std::min(minZ, p.z);
            maxZ = std::max(maxZ, p.z);
            EXPECT_NEAR(std::hypot(p.x - 10, p.z), 10, 1e-3);
            EXPECT_EQ(p.y, 0);
        }
        if (cw)
            EXPECT_NEAR(minZ, -10, 1e-2);
        else
            EXPECT_NEAR(maxZ, 10, 1e-2);
        EXPECT_NEAR(r.state.TotalDist, kPi * 10, 1e-3);
    }
}

TEST(InterpreterArcs, YZPlaneDrawsFromTheStartToTheEnd) {
    // G02 in G19 from Y0 Z0 round Y10 Z0 to Y20: with Y right and Z up,
    // clockwise passes Z +10. The arc must also run from the start point to
    // the end point, so the next move continues from the end.
    for (bool cw : {true, false}) {
        InterpreterRig r;
        r.settings.SetFlag("IncludeZCheckBox", true);
        r.TapPoints();
        r.Plot({"G19", cw ? "G02 Y20 Z0 J10 K0" : "G03 Y20 Z0 J10 K0", "G01 Y30"});
        const auto pts = Points(r);
        ASSERT_GE(pts.size(), 4u);
        EXPECT_NEAR(pts.front().y, 0, 1e-3) << cw;
        EXPECT_NEAR(pts[pts.size() - 2].y, 20, 1e-3) << cw;  // the arc's last point
        EXPECT_NEAR(pts.back().y, 30, 1e-3);                // then the straight move
        double minZ = 0, maxZ = 0;
        for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
            minZ = std::min(minZ, pts[i].z);
            maxZ = std::max(maxZ, pts[i].z);
            EXPECT_NEAR(std::hypot(pts[i].y - 10, pts[i].z), 10, 1e-3);
        }
        if (cw)
            EXPECT_NEAR(maxZ, 10, 1e-2);
        else
            EXPECT_NEAR(minZ, -10, 1e-2);
        // On screen (Y across): the straight move starts where the arc ended.
        const auto& s = r.canvas.Segments();
        EXPECT_EQ(s.back().from, r.At(0, 20));
        EXPECT_EQ(s.back().to, r.At(0, 30));
    }
}

TEST(InterpreterArcs, HelixInXYMovesZEvenlyToItsEnd) {
    InterpreterRig r;
    r.TapPoints();
    r.Plot({"", "G03 X0 Y20 Z-5 I0 J10"});
    const auto pts = Points(r);
    ASSERT_GE(pts.size(), 3u);
    EXPECT_NEAR(pts.front().z, 0, 1e-3);
    EXPECT_NEAR(pts.back().z, -5, 1e-4);
    for (std::size_t i = 1; i < pts.size(); ++i) EXPECT_LE(pts[i].z, pts[i - 1].z + 1e-6);
}

TEST(InterpreterArcs, RadiusArcsInEveryPlaneEndOnTheProgrammedPoint) {
    struct Case {
        const char* plane;
        const char* move;
        test::RecordingDxf::Point end;
    };
    const Case cases[] = {
        {"G17", "X30 Y40 R30", {30, 40, 0}},
        {"G17", "X30 Y40 R-30", {30, 40, 0}},
        {"G18", "X30 Z40 R30", {30, 0, 40}},
        {"G19", "Y30 Z40 R30", {0, 30, 40}},
    };
    for (const Case& c : cases) {
        for (const char* code : {"G02 ", "G03 "}) {
            InterpreterRig r;
            r.settings.SetFlag("IncludeZCheckBox", true);
            r.TapPoints();
            r.Plot({c.plane, std::string(code) + c.move});
            const auto pts = Points(r);
            ASSERT_GE(pts.size(), 2u) << c.plane << code << c.move;
            EXPECT_NEAR(pts.front().x, 0, 1e-3) << c.plane << code << c.move;
            EXPECT_NEAR(pts.front().y, 0, 1e-3);
            EXPECT_NEAR(pts.front().z, 0, 1e-3);
            EXPECT_NEAR(pts.back().x, c.end.x, 1e-3) << c.plane << code << c.move;
            EXPECT_NEAR(pts.back().y, c.end.y, 1e-3) << c.plane << code << c.move;
            EXPECT_NEAR(pts.back().z, c.end.z, 1e-3) << c.plane << code << c.move;
            const double sweep = r.state.TotalDist / 30.0;
            if (std::string(c.move).find("R-") != std::string::npos)
                EXPECT_GT(sweep, kPi);
            else
                EXPECT_LE(sweep, kPi + 1e-4) << c.plane << code << c.move;
        }
    }
}

TEST(InterpreterArcs, EveryFullCircleIsOneWholeTurnInEitherDirection) {
    // The start angle walks round the circle; the rounded angles of start and
    // end must never turn a full circle into a sliver.
    int failures = 0;
    for (int deg = 0; deg < 360; ++deg) {
        for (const char* code : {"G02", "G03"}) {
            InterpreterRig r;
            const double a = deg * kPi / 180;
            char line[128];
            std::snprintf(line, sizeof line, "%s X0 Y0 I%.4f J%.4f", code, 50 * std::cos(a), 50 * std::sin(a));
            r.Plot({"", line});
            const double turn = r.state.TotalDist / r.state.Radius;
            if (std::fabs(turn - 2 * kPi) > 1e-4) ++failures;
            ASSERT_FALSE(r.canvas.Segments().empty()) << line;
            EXPECT_EQ(r.canvas.Segments().front().from, r.At(0, 0)) << line;
            EXPECT_EQ(r.canvas.Segments().back().to, r.At(0, 0)) << line;
            EXPECT_GT(r.canvas.Segments().size(), 100u) << line;
        }
    }
    EXPECT_EQ(failures, 0);
}

TEST(InterpreterArcs, FullCircleGoesToTheDxfExportAsACircle) {
    InterpreterRig r;
    r.state.DxfExportOn = true;
    r.interp.SetDxf(&r.dxf);
    r.Plot({"", "G02 X0 Y0 I5 J0", "G03 X10 Y0 I5 J0", "G01 X20"});
    EXPECT_EQ(r.dxf.circles, 1);
    EXPECT_EQ(r.dxf.arcs, 1);
    ASSERT_EQ(r.dxf.lines.size(), 1u);
    EXPECT_EQ(r.dxf.lines[0].x1, 10);
    EXPECT_EQ(r.dxf.lines[0].x2, 20);
}

TEST(InterpreterArcs, QuarterArcsTakeTheirAnglesAndRadiusFromTheCentre) {
    // From (0, 0) round (3, 4), radius 5, a quarter turn either way: the
    // start vector (-3, -4) turned a quarter gives the end points.
    struct Case {
        const char* line;
        double ex, ey;
    };
    for (const Case& c : {Case{"G02 X-1 Y7 I3 J4", -1, 7}, Case{"G03 X7 Y1 I3 J4", 7, 1},
                          Case{"G02 X7 Y1 I3 J4", 7, 1}, Case{"G03 X-1 Y7 I3 J4", -1, 7}}) {
        InterpreterRig r;
        r.TapPoints();
        r.Plot({"", c.line});
        const auto pts = Points(r);
        ASSERT_GE(pts.size(), 10u) << c.line;
        EXPECT_NEAR(pts.front().x, 0, 1e-3) << c.line;
        EXPECT_NEAR(pts.front().y, 0, 1e-3) << c.line;
        EXPECT_NEAR(pts.back().x, c.ex, 1e-3) << c.line;
        EXPECT_NEAR(pts.back().y, c.ey, 1e-3) << c.line;
        for (const auto& p : pts) ASSERT_NEAR(std::hypot(p.x - 3, p.y - 4), 5, 1e-3) << c.line;
        EXPECT_FLOAT_EQ(r.state.Radius, 5);
        // One of each pair is the short way round, the other the long way.
        const double turn = r.state.TotalDist / 5;
        const bool shortWay = std::string(c.line) == "G02 X-1 Y7 I3 J4" || std::string(c.line) == "G03 X7 Y1 I3 J4";
        EXPECT_NEAR(turn, shortWay ? kPi / 2 : 3 * kPi / 2, 1e-4) << c.line;
    }
}

TEST(InterpreterArcs, DxfArcHasTheCentreEndsRadiusAndTurnInProgramUnits) {
    // G03 from (6, 0) round (6, 10) to (16, 10) at 2 pixels a unit, in XY;
    // with every sign +1 the programmed turn is the drawn one.
    for (const char* code : {"G03", "G02"}) {
        InterpreterRig r;
        r.view.scaleValue = 2000;
        r.state.DxfExportOn = true;
        r.interp.SetDxf(&r.dxf);
        r.Plot({"", "G00 X6", std::string(code) + " X16 Y10 Z-2 I6 J10"});
        ASSERT_EQ(r.dxf.arcList.size(), 1u) << code;
        const DxfArcMove& a = r.dxf.arcList[0];
        EXPECT_EQ(a.axis1, 0);
        EXPECT_EQ(a.axis2, 1);
        EXPECT_NEAR(a.centre[0], 6, 1e-6) << code;
        EXPECT_NEAR(a.centre[1], 10, 1e-6) << code;
        EXPECT_NEAR(a.centre[2], -2, 1e-6) << code;  // the end's Z
        EXPECT_NEAR(a.start[0], 6, 1e-6) << code;
        EXPECT_NEAR(a.start[1], 0, 1e-6) << code;
        EXPECT_NEAR(a.end[0], 16, 1e-6) << code;
        EXPECT_NEAR(a.end[1], 10, 1e-6) << code;
        EXPECT_NEAR(a.radius, 10, 1e-6) << code;
        EXPECT_EQ(a.clockwise, std::string(code) == "G02") << code;
        EXPECT_FALSE(a.fullCircle);
    }
}

TEST(InterpreterArcs, XZAndYZArcsAreDrawnOnceWithOrWithoutZIncluded) {
    // An arc across Z is drawn in its own plane only; what the plot shows of
    // it in XY is its projection, never a second arc with its angles.
    struct Case {
        const char* plane;
        const char* arc;
        char flat;          // the coordinate that is 0 on the plane's own arc
    };
    for (const Case& c : {Case{"G18", "G02 X20 Z0 I10 K0", 'y'}, Case{"G19", "G02 Y20 Z0 J10 K0", 'x'}}) {
        for (bool included : {false, true}) {
            InterpreterRig r;
            r.settings.SetFlag("IncludeZCheckBox", included);
            r.TapPoints();
            r.Plot({c.plane, c.arc});
            int offPlane = 0, inPlane = 0;
            for (const auto& p : Points(r)) {
                const double off = c.flat == 'y' ? p.y : p.x;
                if (off != 0) ++offPlane;
                if (off == 0 && std::fabs(p.z) > 1) ++inPlane;
            }
            const std::string what = std::string(c.arc) + (included ? " included" : " not included");
            EXPECT_GT(inPlane, 10) << what;
            EXPECT_EQ(offPlane, 0) << what;
            EXPECT_NEAR(r.state.TotalDist, kPi * 10, 1e-3) << what;
        }
    }
}

// ---------------------------------------------------------- accounting

TEST(InterpreterAccounting, RapidGapsBetweenCutOffAndCutOn) {
    InterpreterRig r;
    r.Plot({"", "G00 X10", "M03", "G01 X20", "M05", "G00 X40", "M03", "G01 X45", "M05"});
    EXPECT_NEAR(r.state.TotalDist, 45, 1e-5);
    EXPECT_NEAR(r.state.RapidDist, 30, 1e-5);
    EXPECT_EQ(r.state.Largest.Length, 10);
    EXPECT_EQ(r.state.Largest.StartLine, 2);
    EXPECT_EQ(r.state.Largest.EndLine, 4);
    EXPECT_EQ(r.state.Smallest.Length, 5);
    EXPECT_EQ(r.state.Smallest.StartLine, 6);
    EXPECT_EQ(r.state.Smallest.EndLine, 8);
}

TEST(InterpreterAccounting, RepeatedCutOnStartsNoNewGap) {
    InterpreterRig r;
    r.Plot({"", "G00 X10", "M03", "G01 X20", "M03", "G01 X30", "M05", "G00 X40", "M03", "G01 X50", "M03",
            "G01 X60", "M05"});
    EXPECT_NEAR(r.state.TotalDist, 60, 1e-5);
    EXPECT_NEAR(r.state.RapidDist, 20, 1e-5);  // 0..10 and 30..40
    EXPECT_EQ(r.state.Largest.Length, 20);
    EXPECT_EQ(r.state.Smallest.Length, 20);
    ASSERT_FALSE(r.view.summaries.empty());
    EXPECT_EQ(r.view.summaries.back().Caption, "Cut 40.000  Rapid 20.000  Total Distance 60.000");
}

// A 50 x 50 array of one part (a square of side 40.25 and a whole circle of
// radius 10.5, every coordinate exact in binary), row by row at a pitch of
// 62.5: the totals are the part's length times 2500 and the rapids between
// the parts, to the last decimal shown, however many moves went before.
TEST(InterpreterAccounting, TotalsOfAManyPartArrayAreTheSumOfItsParts) {
    constexpr int kRows = 50, kColumns = 50;
    constexpr double kPitch = 62.5, kSide = 40.25, kRadius = 10.5;
    std::vector<std::string> program{""};
    auto xy = [](double x, double y) { return " X" + std::to_string(x) + " Y" + std::to_string(y); };
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            const double x = i * kPitch, y = j * kPitch;
            program.push_back("G00" + xy(x, y));
            program.push_back("M03");
            program.push_back("G01" + xy(x + kSide, y));
            program.push_back("G01" + xy(x + kSide, y + kSide));
            program.push_back("G01" + xy(x, y + kSide));
            program.push_back("G01" + xy(x, y));
            program.push_back("G02" + xy(x, y) + " I" + std::to_string(x + kRadius) + " J" + std::to_string(y));
            program.push_back("M05");
        }
    InterpreterRig r;
    r.Plot(program);
    const long double part = 4.0L * kSide + 2.0L * 3.141592653589793238462643383279502884L * kRadius;
    const long double cut = kRows * kColumns * part;
    // Along a row, then back to the next row's first part.
    const long double rapid = kRows * (kColumns - 1) * kPitch +
                              (kRows - 1) * std::hypot(static_cast<long double>(kPitch), (kColumns - 1) * kPitch);
    auto shown = [](long double v) { return FixedText(v, 3, 8); };
    ASSERT_FALSE(r.view.summaries.empty());
    EXPECT_EQ(r.view.summaries.back().Caption,
              "Cut " + shown(cut) + "  Rapid " + shown(rapid) + "  Total Distance " + shown(cut + rapid));
}

TEST(InterpreterAccounting, ProgramWithoutCutCodesIsAllCutting) {
    InterpreterRig r;
    r.Plot({"", "G00 X10", "G01 Y10"});
    EXPECT_EQ(r.state.RapidDist, 0);
    EXPECT_EQ(r.view.summaries.back().Caption, "Cut 20.000  Rapid 0.000  Total Distance 20.000");
}

TEST(InterpreterAccounting, SummaryTextsAtTheLastLine) {
    InterpreterRig r;
    r.view.scaleValue = 2000;
    r.view.cutSpeed = "10";
    r.view.rapidSpeed = "0";  // 0 counts as 1
    r.Plot({"", "G00 X-10 Y4", "M03", "G01 X20.4 Y-3", "M05", "M03"});
    ASSERT_EQ(r.view.summaries.size(), 1u);  // only at the main editor's last line
    const PlotSummary& s = r.view.summaries[0];
    const double rapid = std::hypot(10, 4), cut = std::hypot(30.4, 7);
    char want[200];
    std::snprintf(want, sizeof want, "Cut %.3f  Rapid %.3f  Total Distance %.3f", cut, rapid, cut + rapid);
    EXPECT_EQ(s.Caption, want);
    std::snprintf(want, sizeof want, "Time %.3f", cut / 10);
    EXPECT_EQ(s.CutTime, want);
    std::snprintf(want, sizeof want, " + %.3f", rapid);
    EXPECT_EQ(s.RapidTime, want);
    std::snprintf(want, sizeof want, " = %.3f", cut / 10 + rapid);
    EXPECT_EQ(s.TotalTime, want);
    EXPECT_EQ(s.Bigx, "Max 30.4");  // |20.4| + |-10|
    EXPECT_EQ(s.Bigy, "Max 7.0");   // |4| + |-3|
    EXPECT_EQ(s.Area, "Area 210");  // 30 x 7
}

TEST(InterpreterAccounting, AreaIsRightForAnyExtents) {
    auto areaOf = [](const char* move) {
        InterpreterRig r;
        r.Plot({"", move});
        return r.view.summaries.back().Area;
    };
    EXPECT_EQ(areaOf("G01 X3000000000 Y3000000000"), "Area 9000000000000000000");  // still a 64-bit integer
    EXPECT_EQ(areaOf("G01 X3000000000 Y4000000000"), "Area 1.2000000E+019");
    const std::string e30 = "1" + std::string(30, '0');
    EXPECT_EQ(areaOf(("G01 X" + e30 + " Y" + e30).c_str()), "Area 1.0000000E+060");
    EXPECT_EQ(areaOf("G01 X-2.5 Y3.5"), "Area 8");  // 2 x 4: ties to even
}

TEST(InterpreterAccounting, UnreadableSpeedsTakeTheirDefaults) {
    InterpreterRig r;
    r.view.cutSpeed = "fast";
    r.view.rapidSpeed = "";
    r.Plot({"", "G00 X8", "M03", "G01 X12"});
    const PlotSummary& s = r.view.summaries.back();
    EXPECT_EQ(s.CutTime, "Time 4.000");
    EXPECT_EQ(s.RapidTime, " + 4.000");
    EXPECT_EQ(s.TotalTime, " = 8.000");
}

// ------------------------------------------------------------ plot runs

TEST(InterpreterRun, PendingEventsRunEvery1000LinesFromLineZero) {
    InterpreterRig r;
    struct CountingHost : RecordingHost {
        int events = 0;
        void ProcessEvents() override { ++events; }
    } host;
    std::vector<std::string> lines(2500, "G01 X1");
    VectorLines text(lines);
    r.interp.PlotAll(text, false, true, 0, 0, host);
    EXPECT_EQ(host.events, 3);  // lines 0, 1000, 2000
    EXPECT_EQ(r.view.progress, 3);
}

TEST(InterpreterRun, EscDuringAPlotLeavesAClearedCanvas) {
    InterpreterRig r;
    struct EscHost : RecordingHost {
        PlotState* state = nullptr;
        int events = 0;
        void ProcessEvents() override {
            if (++events == 2) state->AbortPlot = true;  // Esc pressed while plotting
        }
    } host;
    host.state = &r.state;
    std::vector<std::string> lines;
    for (int i = 0; i < 3000; ++i) lines.push_back("G01 X" + std::to_string(i % 50) + " Y" + std::to_string(i % 7));
    VectorLines text(lines);
    r.interp.MainLineCount = 3000;
    const int clearsBefore = r.canvas.Clears();
    EXPECT_EQ(r.interp.PlotAll(text, false, true, 0, 0, host), Interpreter::PlotEnd::Aborted);
    EXPECT_TRUE(r.canvas.Segments().empty());
    EXPECT_EQ(r.canvas.Clears(), clearsBefore + 2);
    EXPECT_FALSE(r.state.AbortPlot);
    EXPECT_EQ(r.state.CurLine, 0);
    EXPECT_EQ(r.state.TotalDist, 0);
    EXPECT_TRUE(r.view.summaries.empty());
}

TEST(InterpreterRun, SetOriginPlacesProgramZero) {
    InterpreterRig r;
    std::vector<std::string> lines{"", "G01 X5 Y5"};
    VectorLines text(lines);
    r.interp.PlotAll(text, true, true, 300, 200, r.host);
    ASSERT_EQ(r.canvas.Segments().size(), 1u);
    ExpectSeg(r.canvas.Segments()[0], {200, 300}, {205, 305}, kRed);
}

TEST(InterpreterRun, SingleStepWalksTheProgramAndWraps) {
    InterpreterRig r;
    // The editor's offset counts a line over 255 characters whole.
    const std::string longMove = "G01 X5 (" + std::string(300, 'C') + ")";
    std::vector<std::string> lines{"", longMove, "G02 X5 Y20 I0 J10"};
    VectorLines text(lines);
    text.MainEditor = true;
    r.interp.MainLineCount = 3;
    r.interp.SingleStepAline(text);
    EXPECT_EQ(r.state.CurLine, 1);
    r.interp.SingleStepAline(text);
    EXPECT_EQ(r.canvas.Segments().size(), 1u);
    const int before = r.canvas.Refreshes();
    r.interp.SingleStepAline(text);
    // The arc grows visibly: the canvas is shown before every segment.
    EXPECT_GE(r.canvas.Refreshes() - before, static_cast<int>(r.canvas.Segments().size()) - 1);
    EXPECT_EQ(r.state.CurLine, 0);
    EXPECT_EQ(r.view.followed, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(r.state.FollowOffset, 0 + 2 + static_cast<long long>(longMove.size()) + 2 + 17 + 2);
    EXPECT_EQ(r.view.interval, 125);
}

TEST(InterpreterRun, PlotToCursorStopsAfterTheLineBeforeTheCaret) {
    InterpreterRig r;
    std::vector<std::string> lines{"", "G01 X5", "X10", "X15"};
    VectorLines text(lines);
    text.MainEditor = true;
    r.state.SelStartLine = 2;
    EXPECT_EQ(r.interp.PlotToCursor(text, r.host), Interpreter::PlotEnd::Finished);
    EXPECT_EQ(r.state.PrevX, 10);
    EXPECT_EQ(r.canvas.Segments().size(), 2u);
    // Caret in the first line: nothing plotted, the plot reset.
    r.state.SelStartLine = -1;
    r.interp.PlotToCursor(text, r.host);
    EXPECT_TRUE(r.canvas.Segments().empty());
    EXPECT_EQ(r.state.PrevX, 0);
}

TEST(InterpreterRun, PlotToCursorReadsEscBetweenLines) {
    // Esc arrives with the events of the second line's end.
    struct EscHost : RecordingHost {
        PlotState* state = nullptr;
        int calls = 0;
        void ProcessEvents() override {
            if (++calls == 2) state->AbortPlot = true;
        }
    } host;
    InterpreterRig r;
    host.state = &r.state;
    std::vector<std::string> lines{"", "G01 X5", "X10", "X15"};
    VectorLines text(lines);
    text.MainEditor = true;
    r.state.SelStartLine = 3;
    EXPECT_EQ(r.interp.PlotToCursor(text, host), Interpreter::PlotEnd::Aborted);
    EXPECT_EQ(host.calls, 2);
    EXPECT_EQ(r.state.PrevX, 5);  // what was drawn stays
    EXPECT_EQ(r.canvas.Segments().size(), 1u);
}

TEST(InterpreterRun, SpinFlipFlopOffForThreeDArcs) {
    InterpreterRig r;
    r.Plot({"", "G02 X5 I5 K2"});
    EXPECT_EQ(r.view.disabled, 0);
    r.settings.SetFlag("IncludeZCheckBox", true);
    r.Plot({"", "G02 X5 I5 K2"});
    EXPECT_EQ(r.view.disabled, 1);
}

TEST(InterpreterRun, AxisIndicatorDrawnWhenAsked) {
    InterpreterRig r;
    r.settings.SetFlag("ShowXYZCheckBox", true);
    r.Plot({""});
    // Red and green legs, each out and back, 30 pixels above the bottom; the
    // blue Z leg points at the viewer in the flat view and draws nothing.
    ASSERT_EQ(r.canvas.Segments().size(), 4u);
    EXPECT_EQ(r.canvas.Segments()[2].colour, kGreen);
    EXPECT_EQ(r.canvas.Segments()[0].from, (Pixel{40, 970}));
    EXPECT_EQ(r.canvas.Segments()[0].to, (Pixel{40, 995}));
    EXPECT_EQ(r.state.MaxX, 0);
}

// ------------------------------------------------------------ bad input

TEST(InterpreterBadInput, NothingNonFiniteReachesTheCanvas) {
    InterpreterRig r;
    r.TapPoints();
    const std::string huge(100000, 'X');
    r.Plot({"", "G01 X1e999 Y5", "X-nan Ynan", "G02 X10 Y0 R0", "G02 X10 Y0 I0 J0", "G03 X3 Y4 I0 J0",
            huge, "G01 X" + std::string(100000, '9'), "G01 X1e30 Y1e30", "G02 X-1e30 Y0 I1e30 J0",
            "G01 X2 Y2"});
    for (const auto& l : r.dxf.lines) {
        EXPECT_TRUE(std::isfinite(l.x2) && std::isfinite(l.y2) && std::isfinite(l.z2));
    }
    EXPECT_TRUE(std::isfinite(r.state.PrevX));
    EXPECT_EQ(r.canvas.Segments().back().to, r.At(2, 2));
    EXPECT_FALSE(r.view.summaries.empty());
}

TEST(InterpreterBadInput, AMillionEmptyLines) {
    InterpreterRig r;
    std::vector<std::string> lines(1000000);
    lines.push_back("G01 X1");
    EXPECT_EQ(r.Plot(lines), Interpreter::PlotEnd::Finished);
    EXPECT_EQ(r.canvas.Segments().size(), 1u);
}

TEST(InterpreterBadInput, NothingNonFiniteReachesTheCanvasWhenArcsAreSteppedFast) {
    // Without a lines-only export the arcs take the fast stepping.
    InterpreterRig r;
    const std::string longLine = "G01 X1 Y1 " + std::string(100000, 'X');
    r.Plot({"", "G01 X1e999 Y5", "X-nan Ynan", "G02 X10 Y0 R0", "G02 X10 Y0 I0 J0", "G03 X3 Y4 I0 J0",
            longLine, "G02 X0 Y0 I1e6 J0", "G03 X0 Y0 I1e30 J0", "G02 X1e30 Y0 I-1e30 J5", "G01 X2 Y2",
            "G02 X2 Y2 I3 J0"});
    for (const double v : {r.state.MaxX, r.state.MinX, r.state.MaxY, r.state.MinY,
                           static_cast<float>(r.state.TotalDist), r.state.PrevX, r.state.PrevY})
        EXPECT_TRUE(std::isfinite(v));
    for (const auto& s : r.canvas.Segments()) {
        EXPECT_LE(std::abs(static_cast<long long>(s.to.x)), 1000000000LL);
        EXPECT_LE(std::abs(static_cast<long long>(s.to.y)), 1000000000LL);
    }
    // The last full circle of radius 3 around (5, 2) ends where it started.
    EXPECT_EQ(r.canvas.Segments().back().to, r.At(2, 2));
    EXPECT_FALSE(r.view.summaries.empty());
}

TEST(InterpreterBadInput, AMillionEmptyLinesAndAHugeLineFromTheDocumentBytes) {
    // As the plot window reads a document: its bytes split into lines.
    InterpreterRig r;
    std::string bytes(1000000, '\n');
    bytes += "G01 X1\n" + std::string(100000, '9') + "\nG01 X2 Y1";
    ByteLines text(bytes);
    ASSERT_EQ(text.Count(), 1000003);
    text.MainEditor = true;
    r.interp.MainLineCount = text.Count();
    EXPECT_EQ(r.interp.PlotAll(text, false, true, 0, 0, r.host), Interpreter::PlotEnd::Finished);
    ASSERT_EQ(r.canvas.Segments().size(), 2u);
    EXPECT_EQ(r.canvas.Segments().back().to, r.At(2, 1));
}

TEST(InterpreterBadInput, ByteLinesReadInAnyOrder) {
    // More lines than one index step, every line-end style (and LF alone,
    // which is searched another way), read in order, backwards and at
    // random: always the line the plain split gives.
    for (const int style : {0, 1, 2}) {
        const bool lfOnly = style > 0;
        std::mt19937 rng(3 + style);
        std::string bytes;
        std::vector<std::string> want;
        for (int i = 0; i < 2000; ++i) {
            // Now and then a line longer than the 64 bytes counted at once.
            want.push_back(std::string(rng() % 10 == 0 ? 150 : rng() % 5, 'a' + i % 26) + std::to_string(i));
            bytes += want.back();
            const int end = lfOnly ? 0 : static_cast<int>(rng() % 3);
            bytes += end == 0 ? "\n" : end == 1 ? "\r\n" : "\r";
        }
        if (style == 2) bytes += "last";  // no line end at the end
        if (style == 2) want.push_back("last");
        const int count = static_cast<int>(want.size());
        ByteLines text(bytes);
        ASSERT_EQ(text.Count(), count);
        for (int i = 0; i < count; ++i) ASSERT_EQ(text.Line(i), want[i]) << i;
        for (int i = count - 1; i >= 0; --i) ASSERT_EQ(text.Line(i), want[i]) << i;
        for (int n = 0; n < 3000; ++n) {
            const int i = static_cast<int>(rng() % count);
            ASSERT_EQ(text.Line(i), want[i]) << i;
        }
        EXPECT_EQ(text.Line(-1), "");
        EXPECT_EQ(text.Line(count), "");
    }
}

TEST(InterpreterBadInput, ByteLinesSplitLikeTheEditor) {
    ByteLines a("G01 X1\r\nX2\rX3\nX4\n");
    ASSERT_EQ(a.Count(), 4);
    EXPECT_EQ(a.Line(0), "G01 X1");
    EXPECT_EQ(a.Line(1), "X2");
    EXPECT_EQ(a.Line(3), "X4");
    EXPECT_EQ(a.Line(4), "");
    EXPECT_EQ(ByteLines("").Count(), 0);
    // An empty editor hands over no bytes at all (a null pointer): the
    // sanitizer build caught it being searched.
    EXPECT_EQ(ByteLines(std::string_view()).Count(), 0);
    EXPECT_EQ(ByteLines("\n\n").Count(), 2);
    EXPECT_EQ(ByteLines("a").Count(), 1);
}
