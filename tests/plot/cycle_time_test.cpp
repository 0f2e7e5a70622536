// The estimated cycle time against hand calculations and against the simple
// time (distance / speed) that it must approach as accelerations grow.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "../support/temp_folder.h"
#include "base/host.h"
#include "plot/cycle_time.h"
#include "plot/interpreter.h"
#include "plot/program_lines.h"
#include "settings/label_table.h"
#include "settings/machine_settings.h"

namespace tolva {
namespace {

constexpr double kPi = 3.14159265358979323846;

Move Line(double x0, double y0, double z0, double x1, double y1, double z1, double feed, bool cutOn = true) {
    Move m;
    m.kind = MoveKind::Line;
    m.start[0] = x0, m.start[1] = y0, m.start[2] = z0;
    m.end[0] = x1, m.end[1] = y1, m.end[2] = z1;
    m.feed = feed;
    m.cutOn = cutOn;
    return m;
}

MotionLimits Limits(double speed, double accelX, double accelY, double accelZ, double deviation) {
    MotionLimits l;
    for (double& s : l.maxSpeed) s = speed;
    l.accel[0] = accelX, l.accel[1] = accelY, l.accel[2] = accelZ;
    l.junctionDeviation = deviation;
    return l;
}

// A 40 x 40 square at F1200 (20 mm/s), X accelerating at 100 mm/s^2 and Y at
// 50, corners within 0.05 mm, from rest to rest.
TEST(CycleTime, ASquareTakesTheHandCalculatedTime) {
    CycleTime t(Limits(6000, 100, 50, 50, 0.05));
    const double square[5][2] = {{0, 0}, {40, 0}, {40, 40}, {0, 40}, {0, 0}};
    for (int i = 0; i < 4; ++i)
        t.TakeMove(Line(square[i][0], square[i][1], 0, square[i + 1][0], square[i + 1][1], 0, 1200));

    // Every corner turns 90 degrees: cos theta = -u1.u2 = 0, sin(theta/2) =
    // 0.7071068, s / (1 - s) = 2.4142136. The corner's acceleration lies along
    // u2 - u1, 45 degrees between the axes: min(100, 50) / 0.7071068 =
    // 70.710678. Corner speed^2 = 70.710678 * 0.05 * 2.4142136 = 8.5355339
    // (2.9215636 mm/s).
    const double vc = 20;
    // Side 1, X (a = 100): 0 -> 20 over 2 mm in 0.2 s, 20 -> vj over
    // (400 - 8.5355339) / 200 = 1.9573223 mm in 0.1707844 s, cruise the rest.
    const double side1 = 0.2 + 0.1707844 + (40 - 2 - 1.9573223) / vc;
    // Side 2, Y (a = 50): vj -> 20 and back over 3.9146447 mm each, 0.3415687 s each.
    const double side2 = 2 * 0.3415687 + (40 - 2 * 3.9146447) / vc;
    // Side 3, X: vj -> 20 -> vj, 1.9573223 mm and 0.1707844 s each way.
    const double side3 = 2 * 0.1707844 + (40 - 2 * 1.9573223) / vc;
    // Side 4, Y: vj -> 20 (3.9146447 mm, 0.3415687 s), 20 -> 0 over 4 mm in 0.4 s.
    const double side4 = 0.3415687 + 0.4 + (40 - 3.9146447 - 4) / vc;
    const double seconds = side1 + side2 + side3 + side4;  // 8.956264 s
    EXPECT_NEAR(t.Minutes(1, 1) * 60, seconds, 1e-5);
    EXPECT_NEAR(seconds, 8.956264, 1e-5);
    EXPECT_GT(seconds, 160.0 / vc);  // the simple time: 8 s

    // Exact stop at each corner (no tolerance): every side 0 -> 20 -> 0.
    CycleTime exact(Limits(6000, 100, 50, 50, 0));
    for (int i = 0; i < 4; ++i)
        exact.TakeMove(Line(square[i][0], square[i][1], 0, square[i + 1][0], square[i + 1][1], 0, 1200));
    const double stopX = 2 * 0.2 + (40 - 2 * 2.0) / vc, stopY = 2 * 0.4 + (40 - 2 * 4.0) / vc;
    EXPECT_NEAR(exact.Minutes(1, 1) * 60, 2 * stopX + 2 * stopY, 1e-9);
}

// Single moves from rest to rest: a trapezoid when the move is long enough
// to reach its speed, a triangle when it is not, an arc's speed held to
// v^2 / r <= a, a diagonal held by the slower axis.
TEST(CycleTime, SingleMovesFollowTrapezoidAndTriangleProfiles) {
    auto seconds = [](const Move& m, const MotionLimits& l) {
        CycleTime t(l);
        t.TakeMove(m);
        return t.Minutes(1, 1) * 60;
    };
    const MotionLimits l = Limits(6000, 100, 100, 100, 0.05);
    // 10 mm at 20 mm/s: 2 mm up in 0.2 s, 6 mm at speed, 2 mm down.
    EXPECT_NEAR(seconds(Line(0, 0, 0, 10, 0, 0, 1200), l), 0.2 + 6.0 / 20 + 0.2, 1e-12);
    // 2 mm: the speed peaks at sqrt(a L) = 14.14 mm/s < 20; 2 sqrt(L / a).
    EXPECT_NEAR(seconds(Line(0, 0, 0, 0, 2, 0, 1200), l), 2 * std::sqrt(2.0 / 100), 1e-12);
    // The same 2 mm along Z at half the acceleration: 2 sqrt(2 / 50).
    EXPECT_NEAR(seconds(Line(0, 0, 0, 0, 0, -2, 1200), Limits(6000, 100, 100, 50, 0.05)), 2 * std::sqrt(2.0 / 50),
                1e-12);
    // A full circle of radius 1 at F1200: v = sqrt(100 * 1) = 10 mm/s;
    // 0.5 mm up and 0.5 mm down in 0.1 s each, 2 pi - 1 mm at speed.
    Move circle;
    circle.kind = MoveKind::Arc;
    circle.start[0] = 1, circle.end[0] = 1;
    circle.fullCircle = true;
    circle.feed = 1200;
    EXPECT_NEAR(seconds(circle, l), 0.2 + (2 * kPi - 1) / 10, 1e-6);
    // A rapid 30 x 40 with Y at 3000 mm/min (50 mm/s): Y carries 0.8 of the
    // motion, so the move runs at 50 / 0.8 = 62.5 mm/s along 50 mm; X's
    // acceleration 100 / 0.6 and Y's 100 / 0.8 = 125 mm/s^2 hold it.
    MotionLimits slowY = l;
    slowY.maxSpeed[1] = 3000;
    Move rapid = Line(0, 0, 0, 30, 40, 0, 0, false);
    rapid.kind = MoveKind::Rapid;
    const double up = 62.5 * 62.5 / (2 * 125);  // 15.625 mm in 0.5 s
    EXPECT_NEAR(seconds(rapid, slowY), 2 * 0.5 + (50 - 2 * up) / 62.5, 1e-9);
}

// Generated programs of lines and arcs (every plane, both directions,
// helices), some with F and some taking the plot's speeds, with the cut
// switched on and off: as the accelerations grow the estimate falls towards
// distance / speed and never below it.
TEST(CycleTime, LargeAccelerationsApproachTheSimpleTime) {
    std::mt19937 rng(32);
    std::uniform_real_distribution<double> coord(-50, 50), unit(0, 1);
    const double cutSpeed = 700, traverseSpeed = 2500;
    for (int program = 0; program < 40; ++program) {
        std::vector<Move> moves;
        double simple = 0;  // minutes
        double at[3] = {0, 0, 0};
        bool cutting = false;
        for (int i = 0; i < 60; ++i) {
            if (unit(rng) < 0.15) cutting = !cutting;
            Move m;
            m.cutOn = cutting;
            m.feed = unit(rng) < 0.5 ? 100 + 2900 * unit(rng) : 0;
            for (int a = 0; a < 3; ++a) m.start[a] = at[a];
            double length;
            if (unit(rng) < 0.5) {
                m.kind = MoveKind::Line;
                for (int a = 0; a < 3; ++a) m.end[a] = unit(rng) < 0.3 ? at[a] : coord(rng);
                length = std::hypot(m.end[0] - at[0], m.end[1] - at[1], m.end[2] - at[2]);
            } else {
                // An arc from the current point: centre at radius r in the
                // plane, sweeping `sweep` radians, rising `rise` along the normal.
                m.kind = MoveKind::Arc;
                const int plane = static_cast<int>(unit(rng) * 3) % 3;
                m.plane = plane == 0 ? MovePlane::XY : plane == 1 ? MovePlane::XZ : MovePlane::YZ;
                // In-plane axes (p, q) with p x q along the normal n.
                const int p = plane == 0 ? 0 : plane == 1 ? 2 : 1;
                const int q = plane == 0 ? 1 : plane == 1 ? 0 : 2;
                const int n = 3 - p - q;
                m.clockwise = unit(rng) < 0.5;
                m.fullCircle = unit(rng) < 0.1;
                const double r = 0.5 + 30 * unit(rng), phase = 2 * kPi * unit(rng);
                const double sweep = m.fullCircle ? 2 * kPi : 0.05 + (2 * kPi - 0.1) * unit(rng);
                const double rise = unit(rng) < 0.3 ? coord(rng) / 5 : 0;
                m.centre[p] = at[p] - r * std::cos(phase);
                m.centre[q] = at[q] - r * std::sin(phase);
                m.centre[n] = at[n];
                const double end = phase + (m.clockwise ? -sweep : sweep);
                m.end[p] = m.centre[p] + r * std::cos(end);
                m.end[q] = m.centre[q] + r * std::sin(end);
                m.end[n] = at[n] + rise;
                length = std::hypot(r * sweep, rise);
            }
            for (int a = 0; a < 3; ++a) at[a] = m.end[a];
            simple += length / (m.feed > 0 ? m.feed : cutting ? cutSpeed : traverseSpeed);
            moves.push_back(m);
        }
        double previous = 0;
        for (double accel : {10.0, 1e3, 1e5, 1e7, 1e9}) {
            CycleTime t(Limits(1e5, accel, accel * 1.5, accel * 0.7, 0.02));
            for (const Move& m : moves) t.TakeMove(m);
            const double est = t.Minutes(cutSpeed, traverseSpeed);
            SCOPED_TRACE("program " + std::to_string(program) + ", acceleration " + std::to_string(accel));
            EXPECT_GE(est, simple * (1 - 1e-6));  // lengths are held to six figures
            if (previous > 0) {
                EXPECT_LE(est, previous * (1 + 1e-6));
            }
            previous = est;
            if (accel >= 1e7) {
                EXPECT_NEAR(est, simple, simple * 1e-3);
            }
        }
    }
}

// The plot's read-outs under each shipped machine file, as shipped and with
// every axis sign and swap box off, for a program written in the machine's
// own codes (straight and radius moves, the cut switched on and off on lines
// of their own, no feed words): the estimate beside the simple time, above it
// with the machine's accelerations, at it within 0.5 % when they are huge,
// unchanged by the view's sign boxes, and "no acceleration data" when a
// limit is missing.
TEST(CycleTime, ThePlotShowsTheEstimateBesideTheSimpleTime) {
    struct Readout {
        double simple = -1, est = -1;
        std::string estText;
    };
    for (const char* name : {"tolva.ini", "plasma.ini", "lathe.ini"}) {
        for (bool boxesOff : {false, true}) {
            SCOPED_TRACE(std::string(name) + (boxesOff ? ", every sign and swap box off" : ", as shipped"));
            test::TempFolder dir;
            std::string bytes;
            ReadFileBytes(std::string(TOLVA_SOURCE_DIR) + "/data/" + name, bytes);
            MachineSettings settings(dir.path());
            settings.SetMachineFile(dir.write(name, bytes));
            settings.Ldini();
            static constexpr const char* kSignBoxes[] = {"XsignCheckBox", "YsignCheckBox", "ZsignCheckBox"};
            if (boxesOff)
                for (const char* box : {"XsignCheckBox", "YsignCheckBox", "ZsignCheckBox", "SwapXY", "SwapYZ",
                                        "XmultCheckBox", "YmultCheckBox", "ZmultCheckBox"})
                    settings.SetFlag(box, false);
            auto code = [&](int row) { return settings.Labels().Cell(1, row); };
            // The letters the plot reads as its axes, so that every move lies
            // in the plot's XY plane whatever the swaps.
            const Letters letters = settings.Setaxis().letters;

            // Up to Z5 first: the mill's cut-off code is a rapid to Z5, which
            // then moves nothing. Every cut is switched off before the end.
            std::mt19937 rng(7);
            std::uniform_real_distribution<double> coord(-60, 60), unit(0, 1);
            std::vector<std::string> program = {code(LabelRow::XYPlane) + " " + code(LabelRow::Absolute),
                                                code(LabelRow::Line) + " " + letters.Z + "5."};
            double x = 0, y = 0;
            char buf[160];
            for (int i = 0; i < 38; ++i) {
                if (i % 7 == 3) program.push_back(code(i % 14 == 3 ? LabelRow::BeginBlock : LabelRow::EndBlock));
                const double nx = coord(rng), ny = coord(rng);
                if (unit(rng) < 0.5) {
                    std::snprintf(buf, sizeof buf, "%s %s%.3f %s%.3f", code(LabelRow::Line).c_str(),
                                  letters.X.c_str(), nx, letters.Y.c_str(), ny);
                } else {
                    const double r = std::hypot(nx - x, ny - y) / 2 * (1.05 + 2 * unit(rng));
                    std::snprintf(buf, sizeof buf, "%s %s%.3f %s%.3f %s%.3f",
                                  code(unit(rng) < 0.5 ? LabelRow::ArcCw : LabelRow::ArcCcw).c_str(),
                                  letters.X.c_str(), nx, letters.Y.c_str(), ny, letters.R.c_str(), r);
                }
                program.push_back(buf);
                x = nx, y = ny;
            }
            program.push_back(code(LabelRow::EndBlock));

            auto plot = [&]() {
                PlotState state;
                state.DecimalPlaces = 6;
                RecordingCanvas canvas;
                struct View : PlotView {
                    std::vector<PlotSummary> shown;
                    std::string CutSpeedText() override { return "2000"; }
                    std::string RapidSpeedText() override { return "6000"; }
                    void ShowSummary(const PlotSummary& s) override { shown.push_back(s); }
                } view;
                Interpreter interp(state, canvas, &settings, &view);
                RecordingHost host;
                VectorLines text(program);
                text.MainEditor = true;
                interp.MainLineCount = static_cast<int>(program.size());
                interp.PlotAll(text, false, true, 0, 0, host);
                Readout r;
                if (view.shown.empty()) return r;
                const PlotSummary& s = view.shown.back();
                r.simple = std::stod(s.TotalTime.substr(3));  // " = minutes"
                r.estText = s.EstTime;
                if (s.EstTime.rfind("Est ", 0) == 0) r.est = std::stod(s.EstTime.substr(4));
                return r;
            };
            const Readout shipped = plot();
            ASSERT_GT(shipped.simple, 0.1);
            EXPECT_GT(shipped.est, shipped.simple * 1.01) << shipped.estText;

            for (const char* box : kSignBoxes) settings.SetFlag(box, !settings.Flag(box));
            const Readout mirrored = plot();
            EXPECT_EQ(mirrored.simple, shipped.simple);
            EXPECT_NEAR(mirrored.est, shipped.est, 2e-6) << mirrored.estText << " against " << shipped.estText;

            for (const char* key :
                 {"XMaxSpeedEdit", "YMaxSpeedEdit", "ZMaxSpeedEdit", "XAccelEdit", "YAccelEdit", "ZAccelEdit"})
                settings.SetText(key, "1e9");
            const Readout huge = plot();
            EXPECT_NEAR(huge.est, huge.simple, huge.simple * 0.005) << huge.estText;

            settings.SetText("ZAccelEdit", "");
            EXPECT_EQ(plot().estText, "no acceleration data");
        }
    }
}

}  // namespace
}  // namespace tolva
