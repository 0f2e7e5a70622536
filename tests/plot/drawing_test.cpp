// The lines interactive drawing writes, checked against the backplot that
// reads them back.
#include "plot/drawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "interpreter_rig.h"
#include "../support/rs274_oracle.h"
#include "text/gcode_words.h"

namespace {

using tolva::DrawMode;

constexpr double kPi = 3.14159265358979323846;

// An arc drawn by three clicks (its start is where the plot ended), written
// with R, and plotted again: the plot's centre is the clicked centre, for
// both directions, both sweeps and every sign and swap setting.
TEST(DrawingArc, TheRadiusSignPicksTheArcThePlotDrawsThroughTheClickedCentre) {
    std::mt19937 rng(19);
    std::uniform_int_distribution<int> coord(-300, 300);
    std::uniform_real_distribution<double> turn(0.0, 2 * kPi);
    int tried = 0, longArcs = 0;
    for (int xs : {1, -1})
        for (int ys : {1, -1})
            for (bool ccw : {false, true})
                for (int n = 0; n < 40; ++n) {
                    tolva::test::InterpreterRig rig;
                    rig.settings.SetFlag("XsignCheckBox", xs < 0);
                    rig.settings.SetFlag("YsignCheckBox", ys < 0);
                    rig.settings.SetFlag("SwapXY", n % 2 == 1);
                    const tolva::AxisCodes codes = rig.settings.Setaxis();
                    tolva::DrawingView view;
                    view.XSign = xs;
                    view.YSign = ys;
                    tolva::DrawingSettings s;
                    s.RCheckbox = true;
                    // Pixels: start S, centre C, the end's direction from C.
                    const int sx = 400 + coord(rng), sy = 400 + coord(rng);
                    const int cx = 400 + coord(rng), cy = 400 + coord(rng);
                    const double r = std::hypot(cx - sx, cy - sy);
                    const double a = turn(rng);
                    const int ex = cx + int(std::lround(200 * std::cos(a))), ey = cy + int(std::lround(200 * std::sin(a)));
                    // Sweep as seen on the screen (y down: angles turn clockwise).
                    const double from = std::atan2(sy - cy, sx - cx), to = std::atan2(ey - cy, ex - cx);
                    double cwSweep = std::fmod(to - from + 4 * kPi, 2 * kPi);
                    const double sweep = ccw ? 2 * kPi - cwSweep : cwSweep;
                    if (r < 20 || std::abs(sweep - kPi) < 0.1 || sweep < 0.1 || sweep > 2 * kPi - 0.1) continue;
                    ++tried;
                    if (sweep > kPi) ++longArcs;

                    tolva::Drawing d;
                    auto draw = [&](const tolva::AxisCodes& with, const tolva::DrawingSettings& ds) {
                        d.Start(DrawMode::Arc, ccw);
                        d.C_VectorIJ(sx, sy, cx, cy, view, with, ds);
                        d.Clicks = 1;
                        d.C_VectorIJ(cx, cy, ex, ey, view, with, ds);
                        d.Clicks = 2;
                        return d.C_VectorIJ(ex, ey, ex, ey, view, with, ds);
                    };
                    const auto result = draw(codes, s);
                    ASSERT_TRUE(result.finished);
                    ASSERT_EQ(result.lines.size(), 1u);
                    EXPECT_EQ(d.Values.Indicator, sweep > kPi ? ">" : "<");

                    const std::string start = tolva::MakeALine(codes, (sy - view.OriginY) * xs,
                                                               (sx - view.OriginX) * ys, 3);
                    rig.Plot({"", start, result.lines[0]});
                    SCOPED_TRACE(start + " / " + result.lines[0]);
                    // The plot's centre, in pixel offsets from program zero.
                    EXPECT_NEAR(rig.state.CentreX, cy - view.OriginY, 0.05);
                    EXPECT_NEAR(rig.state.CentreY, cx - view.OriginX, 0.05);

                    // Written with I and J, absolute or (Bridgeport) from the
                    // start, the same arc plots about the same centre.
                    for (bool bridgeport : {false, true}) {
                        tolva::test::InterpreterRig ij;
                        ij.settings.SetFlag("XsignCheckBox", xs < 0);
                        ij.settings.SetFlag("YsignCheckBox", ys < 0);
                        ij.settings.SetFlag("SwapXY", n % 2 == 1);
                        ij.settings.SetFlag("Bridgeport", bridgeport);
                        const tolva::AxisCodes ijCodes = ij.settings.Setaxis();
                        tolva::DrawingSettings t;
                        t.Bridgeport = bridgeport;
                        const auto arc = draw(ijCodes, t);
                        ASSERT_EQ(arc.lines.size(), 1u);
                        ij.Plot({"", start, arc.lines[0]});
                        SCOPED_TRACE(arc.lines[0] + (bridgeport ? " (Bridgeport)" : ""));
                        EXPECT_NEAR(ij.state.CentreX, cy - view.OriginY, 0.05);
                        EXPECT_NEAR(ij.state.CentreY, cx - view.OriginX, 0.05);
                    }
                }
    EXPECT_GT(tried, 200);
    EXPECT_GT(longArcs, 50);
}

// Far from program zero at a small view scale, the read-out's 4 digits
// before the point would put the line's numbers in exponent form, which a
// word reader takes as the mantissa alone.
TEST(DrawingLine, FarPointsAreWrittenInFullAndReadBackAsDrawn) {
    tolva::test::InterpreterRig rig;
    rig.settings.SetCell(1, tolva::LabelRow::Line, "G01");
    const tolva::AxisCodes codes = rig.settings.Setaxis();
    tolva::DrawingView view;
    view.ViewScale = 0.1f;  // ten units a pixel
    tolva::Drawing d;
    d.Start(DrawMode::Line, false);
    d.C_VectorIJ(0, 0, 100 + 1234, 460 + 1500, view, codes, {});
    EXPECT_EQ(d.ReadOut(3).AbsX, "15000.000");  // the read-out as it shows it
    const std::string line = d.DrawALine(codes, 3);
    // With its Line code: a line drawn after an arc or a circle is a line.
    EXPECT_EQ(line, "G01 X15000.000 Y12340.000");
    EXPECT_FLOAT_EQ(tolva::WordValue("X", line).value, 15000.0f);
}

// A circle is a line to its top and four quarter arcs. With "Bridgeport"
// each arc's I and J are offsets from its own start, LinuxCNC's default form:
// rs274 finds every quarter around the clicked centre, in the drawn direction.
TEST(DrawingCircle, FourQuartersAroundTheClickedCentreWithIncrementalCentres) {
    tolva::test::InterpreterRig rig;
    const tolva::AxisCodes codes = rig.settings.Setaxis();
    tolva::DrawingSettings s;
    s.Bridgeport = true;
    tolva::DrawingView view;
    view.ViewScale = 2.0f;
    for (bool ccw : {false, true}) {
        tolva::Drawing d;
        d.Start(DrawMode::Circle, ccw);
        // Centre at pixel (300, 500): X 20, Y 100; radius 25 pixels, 12.5 units.
        d.C_VectorIJ(100, 460, 300, 500, view, codes, s);
        d.Clicks = 1;
        d.C_VectorIJ(300, 500, 315, 520, view, codes, s);
        d.Clicks = 2;
        const auto r = d.C_VectorIJ(315, 520, 315, 520, view, codes, s);
        ASSERT_EQ(r.lines.size(), 5u);
        EXPECT_EQ(r.lines[0], "G01X7.500 Y100.000");
        std::vector<std::string> program = {"G21 G17 F100"};
        program.insert(program.end(), r.lines.begin(), r.lines.end());
        program.push_back("M30");
        std::vector<tolva::test::CanonMove> moves;
        ASSERT_NO_FATAL_FAILURE(tolva::test::Rs274(program, moves));
        ASSERT_EQ(moves.size(), 6u);  // the line, four arcs, the spindle stopped by M30
        const double ends[2][4][2] = {{{20, 112.5}, {32.5, 100}, {20, 87.5}, {7.5, 100}},
                                      {{20, 87.5}, {32.5, 100}, {20, 112.5}, {7.5, 100}}};
        for (int q = 0; q < 4; ++q) {
            const tolva::test::CanonMove& m = moves[q + 1];
            SCOPED_TRACE(r.lines[q + 1]);
            EXPECT_EQ(m.kind, tolva::test::CanonMove::Arc);
            EXPECT_NEAR(m.cx, 20, 1e-9);
            EXPECT_NEAR(m.cy, 100, 1e-9);
            EXPECT_NEAR(m.x, ends[ccw][q][0], 1e-9);
            EXPECT_NEAR(m.y, ends[ccw][q][1], 1e-9);
            EXPECT_EQ(m.turn, ccw ? 1 : -1);
        }
    }
}

}  // namespace
