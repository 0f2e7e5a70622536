#include <cmath>
#include <limits>
#include <gtest/gtest.h>

#include "plot_test_support.h"
#include "text/geometry.h"

using namespace tolva;
using tolva::test::PlotBench;

namespace {

constexpr double kPi = 3.14159265358979323846;

// The exact points handed to the projection, in order (through a lines-only
// export at view scale 1).
std::vector<test::RecordingDxf::Point> drawnPoints(const PlotBench& b) { return b.dxf.EndPoints(); }

}  // namespace

TEST(ArcStepping, CounterClockwiseQuarterRunsFromStartToEnd) {
    PlotBench b;
    b.TapPoints();
    b.projection.Settings.PlotResSpinEdit = 10;  // step 10/r: 0.1 rad at r = 100
    // Start (0, 100) has plot angle 0, end (-100, 0) has pi/2; counter-clockwise
    // is passed as (end, start).
    const float start = VectorAngle(0, 100, 0, 0), end = VectorAngle(-100, 0, 0, 0);
    b.canvas.MoveTo(b.projection.Project(0, 100, 0));
    b.projection.arkIJ(true, false, false, 0, 0, 0, end, start, 99.9999f);

    const auto pts = drawnPoints(b);
    ASSERT_EQ(pts.size(), 17u);  // 16 steps of 0.1 in pi/2, then the end
    EXPECT_NEAR(pts.front().x, 0, 1e-3);
    EXPECT_NEAR(pts.front().y, 100, 1e-3);
    EXPECT_NEAR(pts.back().x, -100, 1e-3);
    EXPECT_NEAR(pts.back().y, 0, 1e-3);
    for (const test::RecordingDxf::Point& p : pts) EXPECT_NEAR(std::hypot(p.x, p.y), 100, 1e-3);
    // The first point is where the pen already is: 16 segments on the canvas.
    EXPECT_EQ(b.canvas.Segments().size(), 16u);
    EXPECT_NEAR(b.state.TotalDist, kPi / 2 * 99.9999, 1e-3);
}

TEST(ArcStepping, ClockwiseEndsExactlyOnItsEndPoint) {
    PlotBench b;
    b.TapPoints();
    b.projection.Settings.PlotResSpinEdit = 10;
    const float cx = 0.25f, cy = 0.25f;
    const float start = VectorAngle(cx - 100, cy, cx, cy), end = VectorAngle(cx, cy + 100, cx, cy);
    b.projection.arkIJ(true, true, false, cx, cy, 0, start, end, 100);

    const auto pts = drawnPoints(b);
    ASSERT_GE(pts.size(), 2u);
    EXPECT_NEAR(pts.front().x, cx - 100, 1e-3);
    EXPECT_NEAR(pts.front().y, cy, 1e-3);
    // Not snapped to whole units: a lines-only export would carry the error.
    EXPECT_NEAR(pts.back().x, cx, 1e-4);
    EXPECT_NEAR(pts.back().y, cy + 100, 1e-4);
}

TEST(ArcStepping, EveryFullCircleIsOneWholeTurnInEitherDirection) {
    // As the interpreter builds them: angles in 32 bits, the end one turn on,
    // both moved on by a turn when either is negative.
    const float r = 50;
    for (int deg = 0; deg < 360; ++deg) {
        for (bool cw : {true, false}) {
            PlotBench b;
            b.TapPoints();
            b.projection.Settings.PlotResSpinEdit = 10;
            const double t = deg * kPi / 180;
            const float cx = static_cast<float>(r * std::cos(t)), cy = static_cast<float>(r * std::sin(t));
            float s = VectorAngle(0, 0, cx, cy);
            float e = static_cast<float>(s + 2 * kPi);
            if (s < 0 || e < 0) {
                s = static_cast<float>(s + 2 * kPi);
                e = static_cast<float>(e + 2 * kPi);
            }
            if (cw)
                b.projection.arkIJ(true, true, true, cx, cy, 0, s, e, r);
            else
                b.projection.arkIJ(true, false, true, cx, cy, 0, e, s, r);
            ASSERT_NEAR(b.state.TotalDist, 2 * kPi * r, 1e-3) << deg << (cw ? " cw" : " ccw");
            const auto pts = drawnPoints(b);
            ASSERT_GT(pts.size(), 30u);  // 0.2 rad steps
            EXPECT_NEAR(pts.front().x, 0, 1e-3);
            EXPECT_NEAR(pts.back().x, 0, 1e-3);
            EXPECT_NEAR(pts.back().y, 0, 1e-3);
            double far = 0;
            for (const test::RecordingDxf::Point& p : pts) far = std::max(far, std::hypot(p.x, p.y));
            EXPECT_NEAR(far, 2 * r, 0.5);  // it reaches the opposite side
        }
    }
}

TEST(FixAngles, SweepsRunUpwardsAndAFullTurnStartsWhereTheArcStarts) {
    ArcSweep s = FixAngles(1.0f, 7.3f, 10, true, true);
    EXPECT_NEAR(static_cast<double>(s.to), 1.0 - kPi / 2, 1e-6);
    EXPECT_NEAR(static_cast<double>(s.to - s.from), 2 * kPi, 1e-12);
    s = FixAngles(7.3f, 1.0f, 10, false, true);
    EXPECT_NEAR(static_cast<double>(s.from), 1.0 - kPi / 2, 1e-6);
    EXPECT_NEAR(static_cast<double>(s.to - s.from), 2 * kPi, 1e-12);
    // Unflagged, an equal pair is still a whole turn.
    for (bool cw : {true, false}) {
        const ArcSweep e = FixAngles(2.0f, 2.0f, 0.0f, cw, false);
        EXPECT_NEAR(static_cast<double>(e.to - e.from), 2 * kPi, 1e-12);
        EXPECT_EQ(e.r, 0.0001L);
    }
    // An arc across the zero angle is moved on by a turn rather than reversed.
    s = FixAngles(0.5f, 6.0f, 1, true, false);
    EXPECT_NEAR(static_cast<double>(s.to - s.from), 0.5 + 2 * kPi - 6.0, 1e-6);
}

TEST(ArcStepping, ZeroRadiusIsSteppedAsATenThousandth) {
    PlotBench b;
    b.projection.arkIJ(true, true, false, 5, 5, 0, 1.0f, 2.0f, 0.0f);
    EXPECT_NEAR(b.state.TotalDist, (2 * kPi - 1.0) * 0.0001, 1e-7);
    ASSERT_EQ(b.canvas.Segments().size(), 1u);  // straight to the centre's pixel
    EXPECT_EQ(b.canvas.Segments()[0].to, (Pixel{105, 465}));
}

TEST(ArcStepping, LinearAxisClimbsEvenlyFromTheCurrentPosition) {
    PlotBench b;
    b.TapPoints();
    b.projection.Settings.PlotResSpinEdit = 10;
    b.state.PrevZ = 4;
    b.projection.arkIJ(true, false, false, 0, 0, 20, kPi / 2, 0, 99.9999f);
    const auto pts = drawnPoints(b);
    ASSERT_EQ(pts.size(), 17u);
    EXPECT_NEAR(pts.front().z, 4, 1e-5);
    EXPECT_NEAR(pts.back().z, 20, 1e-5);
    const double dz = 16 / (kPi / 2 / 0.1);
    for (size_t i = 1; i + 1 < pts.size(); ++i) EXPECT_NEAR(pts[i].z - pts[i - 1].z, dz, 1e-4);
}

TEST(ArcStepping, SingleStepRefreshesBeforeEverySegment) {
    PlotBench b;
    b.projection.Settings.PlotResSpinEdit = 20;
    b.projection.arkIJ(false, true, false, 0, 0, 0, 3.0f, 1.0f, 50);
    const auto& before = b.canvas.RefreshesBefore();
    ASSERT_GT(before.size(), 5u);
    EXPECT_GE(before[0], 1);
    for (size_t i = 1; i < before.size(); ++i) EXPECT_GT(before[i], before[i - 1]);

    PlotBench c;
    c.projection.arkIJ(true, true, false, 0, 0, 0, 3.0f, 1.0f, 50);
    EXPECT_EQ(c.canvas.Refreshes(), 0);
}

TEST(ArcStepping, BadNumbersNeitherDrawNorHang) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    PlotBench b;
    b.projection.arkIJ(true, true, false, 0, 0, 0, 1.0f, 2.0f, nan);
    b.projection.arkIJ(true, true, false, 0, 0, 0, 1.0f, 2.0f, inf);
    b.projection.arkIJ(true, true, false, 0, 0, 0, nan, 2.0f, 5);
    b.projection.arkIJ(true, true, false, nan, 0, 0, 1.0f, 2.0f, 5);
    b.projection.arkIJ(true, true, false, 0, 0, inf, 1.0f, 2.0f, 5);
    EXPECT_TRUE(b.canvas.Segments().empty());
    EXPECT_EQ(b.state.TotalDist, 0.0f);
    // A huge radius is stepped in a bounded number of chords.
    b.projection.arkIJ(true, false, true, 0, 0, 0, 0.0f, 0.0f, 1e12f);
    EXPECT_TRUE(std::isfinite(b.state.TotalDist));
}
