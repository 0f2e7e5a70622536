// The arc stepping decides most points in double and skips those that land
// on the pen's pixel. These tests hold it to the stepping rule itself, done
// point by point in extended precision through LINE3d: the same segments,
// extents, totals and last point, on many random arcs.
#include <cmath>
#include <random>
#include <gtest/gtest.h>

#include "plot_test_support.h"

using namespace tolva;
using tolva::test::PlotBench;

namespace {

constexpr long double kPiL = 3.141592653589793238462643383279502884L;

enum class Plane { XY, XZ, YZ };

struct Arc {
    Plane plane = Plane::XY;
    bool cw = false, full = false;
    float c1 = 0, c2 = 0, linearEnd = 0, A = 0, B = 0, r = 0;
};

// The stepping rule: point i at from + i*step (counter-clockwise) or
// to - i*step (clockwise) while inside [from, to], the linear axis moving
// evenly from the current position, then the end point.
long long steppedArc(PlotBench& b, const Arc& a) {
    Projection& p = b.projection;
    PlotState& st = b.state;
    long double step = GetIncrement(a.r, p.Settings.PlotResSpinEdit);
    const ArcSweep s = FixAngles(a.A, a.B, a.r, a.cw, a.full);
    const long double span = s.to - s.from;
    st.TotalDist += static_cast<double>(std::fabs(span) * s.r);
    long double steps = span / step;
    if (steps > (1 << 20)) {
        step = span / (1 << 20);
        steps = 1 << 20;
    }
    const long double lin0 = a.plane == Plane::XY ? st.PrevZ : a.plane == Plane::XZ ? st.PrevY : st.PrevX;
    const long double dz = (a.linearEnd - lin0) / steps;
    long long points = 0;
    auto point = [&](long double theta, long double linear) {
        const float u = static_cast<float>(a.c1 - s.r * std::cos(theta));
        const float v = static_cast<float>(a.c2 - s.r * std::sin(theta));
        const float w = static_cast<float>(linear);
        if (a.plane == Plane::XY) p.LINE3d(u, v, w);
        if (a.plane == Plane::XZ) p.LINE3d(u, w, v);
        if (a.plane == Plane::YZ) p.LINE3d(w, u, v);
        ++points;
    };
    for (long long i = 0;; ++i) {
        const long double theta = a.cw ? s.to - i * step : s.from + i * step;
        if (a.cw ? theta < s.from : theta > s.to) break;
        point(theta, lin0 + i * dz);
    }
    point(a.cw ? s.from : s.to, a.linearEnd);
    return points;
}

void fastArc(PlotBench& b, const Arc& a) {
    Projection& p = b.projection;
    if (a.plane == Plane::XY) p.arkIJ(true, a.cw, a.full, a.c1, a.c2, a.linearEnd, a.A, a.B, a.r);
    if (a.plane == Plane::XZ) p.arkIK(true, a.cw, a.full, a.c1, a.c2, a.linearEnd, a.A, a.B, a.r);
    if (a.plane == Plane::YZ) p.arkJK(true, a.cw, a.full, a.c1, a.c2, a.linearEnd, a.A, a.B, a.r);
}

struct Scene {
    int res = 1, angleA = 0, angleB = 0, angleC = 0, originX = 100, originY = 460;
    float prevX = 0, prevY = 0, prevZ = 0, maxX = 0, minX = 0, maxY = 0, minY = 0;
    Pixel pen;
    void Apply(PlotBench& b) const {
        b.projection.Settings.PlotResSpinEdit = res;
        b.projection.SetViewAngles(angleA, angleB, angleC);
        b.state.OriginX = originX, b.state.OriginY = originY;
        b.state.PrevX = prevX, b.state.PrevY = prevY, b.state.PrevZ = prevZ;
        b.state.MaxX = maxX, b.state.MinX = minX, b.state.MaxY = maxY, b.state.MinY = minY;
        b.canvas.MoveTo(pen);
    }
};

// Both ways on fresh benches; every observable result must agree exactly.
// Returns the points the stepping took and those the fast way computed exactly.
std::pair<long long, long long> compare(const Scene& scene, const Arc& a, const std::string& what) {
    PlotBench fast, slow;
    scene.Apply(fast);
    scene.Apply(slow);
    fastArc(fast, a);
    const long long points = steppedArc(slow, a);
    const auto& fs = fast.canvas.Segments();
    const auto& ss = slow.canvas.Segments();
    EXPECT_EQ(fs.size(), ss.size()) << what;
    for (std::size_t i = 0; i < std::min(fs.size(), ss.size()); ++i) {
        if (fs[i].from != ss[i].from || fs[i].to != ss[i].to) {
            ADD_FAILURE() << what << ": segment " << i << " (" << fs[i].to.x << "," << fs[i].to.y << ") vs ("
                          << ss[i].to.x << "," << ss[i].to.y << ")";
            break;
        }
    }
    EXPECT_EQ(fast.state.MaxX, slow.state.MaxX) << what;
    EXPECT_EQ(fast.state.MinX, slow.state.MinX) << what;
    EXPECT_EQ(fast.state.MaxY, slow.state.MaxY) << what;
    EXPECT_EQ(fast.state.MinY, slow.state.MinY) << what;
    EXPECT_EQ(fast.state.TotalDist, slow.state.TotalDist) << what;
    EXPECT_EQ(fast.projection.LastDxfX, slow.projection.LastDxfX) << what;
    EXPECT_EQ(fast.projection.LastDxfY, slow.projection.LastDxfY) << what;
    EXPECT_EQ(fast.projection.LastDxfZ, slow.projection.LastDxfZ) << what;
    EXPECT_EQ(fast.canvas.PenPosition(), slow.canvas.PenPosition()) << what;
    return {points, fast.projection.ExactArcPoints};
}

// Random arcs, views, resolutions, extents and pens.
void randomArcs(int arcs) {
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<double> u01(0.0, 1.0);
    auto uni = [&](double lo, double hi) { return lo + (hi - lo) * u01(rng); };
    long long points = 0, exact = 0;
    for (int n = 0; n < arcs; ++n) {
        Scene sc;
        const bool viewed = u01(rng) < 0.3;
        if (viewed) {
            sc.angleA = static_cast<int>(uni(-180, 180));
            sc.angleB = static_cast<int>(uni(-180, 180));
            sc.angleC = static_cast<int>(uni(-180, 180));
        }
        sc.res = u01(rng) < 0.6 ? 1 : 1 + static_cast<int>(uni(0, 20));
        sc.originX = static_cast<int>(uni(-200, 1200));
        sc.originY = static_cast<int>(uni(-200, 1200));
        Arc a;
        a.plane = static_cast<Plane>(static_cast<int>(uni(0, 3)));
        a.cw = u01(rng) < 0.5;
        a.full = u01(rng) < 0.1;
        // Radii from a fraction of a pixel to beyond the canvas; centres and
        // radii on half pixels now and then, so points fall on pixel edges.
        a.r = static_cast<float>(std::exp(uni(std::log(0.3), std::log(1500.0))));
        a.c1 = static_cast<float>(uni(-700, 700));
        a.c2 = static_cast<float>(uni(-700, 700));
        if (u01(rng) < 0.3) {
            a.r = std::round(a.r * 2) / 2;
            a.c1 = std::round(a.c1 * 2) / 2;
            a.c2 = std::round(a.c2 * 2) / 2;
        }
        a.A = static_cast<float>(uni(0, 4 * kPiL));
        a.B = static_cast<float>(uni(0, 4 * kPiL));
        if (a.full) a.B = a.A;
        sc.prevX = static_cast<float>(uni(-500, 500));
        sc.prevY = static_cast<float>(uni(-500, 500));
        sc.prevZ = static_cast<float>(uni(-500, 500));
        const float linearStart = a.plane == Plane::XY ? sc.prevZ : a.plane == Plane::XZ ? sc.prevY : sc.prevX;
        a.linearEnd = u01(rng) < 0.6 ? linearStart : static_cast<float>(uni(-500, 500));
        // Extents that already hold the arc, or that the arc pushes out.
        const float e = u01(rng) < 0.5 ? 5000.0f : static_cast<float>(uni(0, 800));
        sc.maxX = e, sc.minX = -e, sc.maxY = e * 0.7f, sc.minY = -e * 0.9f;
        sc.pen = {static_cast<int>(uni(-100, 1100)), static_cast<int>(uni(-100, 1100))};
        const std::string what = "arc " + std::to_string(n) + " plane " + std::to_string(int(a.plane)) +
                                 (a.cw ? " cw" : " ccw") + (a.full ? " full" : "") + " r " + std::to_string(a.r) +
                                 " c " + std::to_string(a.c1) + "," + std::to_string(a.c2) + " angles " +
                                 std::to_string(sc.angleA) + "," + std::to_string(sc.angleB) + "," +
                                 std::to_string(sc.angleC) + " res " + std::to_string(sc.res);
        const auto [p, x] = compare(sc, a, what);
        points += p;
        exact += x;
        if (::testing::Test::HasFailure()) break;
    }
    // The fast way ran. Points that push an extent out are taken one by one
    // (half the arcs here start outside small extents); the others are not.
    EXPECT_GT(points, arcs * 600);
    EXPECT_LT(exact, points / 3);
}

// Centres on half pixels with whole radii put the quarter points exactly
// on pixel edges (where a tie goes to the even pixel); extents starting
// at zero grow with almost every point.
void edgeArcs() {
    for (int k = 0; k < 200; ++k) {
        Scene sc;
        sc.res = 1 + k % 3;
        Arc a;
        a.plane = Plane::XY;
        a.cw = k % 2 == 0;
        a.full = k % 4 < 2;
        a.r = static_cast<float>(5 + k);
        a.c1 = 0.5f + k;
        a.c2 = -0.5f - k;
        a.A = static_cast<float>(k * 0.01);
        a.B = a.full ? a.A : static_cast<float>(k * 0.01 + 2.5);
        sc.pen = {sc.originX, sc.originY};
        if (k % 3 == 0) sc.maxX = 1e4f, sc.minX = -1e4f, sc.maxY = 1e4f, sc.minY = -1e4f;
        compare(sc, a, "edge arc " + std::to_string(k));
        if (::testing::Test::HasFailure()) break;
    }
}

}  // namespace

TEST(ArcStepping, FastStepsDrawExactlyWhatTheSteppingDraws) { randomArcs(1500); }
TEST(ArcStepping, PointsOnPixelEdgesAndGrowingExtentsStillAgree) { edgeArcs(); }

TEST(ArcStepping, EveryInstructionSetDecidesAlike) {
    // Each machine takes the widest vector instructions it has; those this
    // machine has are all held to the stepping.
    for (const ArcKernel k : {ArcKernel::Avx2, ArcKernel::Baseline}) {
        if (!UseArcKernel(k)) continue;
        randomArcs(500);
        edgeArcs();
    }
    EXPECT_TRUE(UseArcKernel(ArcKernel::Baseline));
    UseArcKernel(ArcKernel::Best);
}

TEST(ArcStepping, AFastArcCallsLine3dForAFewPointsOnly) {
    // A 300-pixel circle at the default resolution is 0.2-pixel steps: about
    // 9,400 points. Inside known extents, nearly all are decided in double,
    // and the canvas gets one short segment per pixel moved.
    PlotBench b;
    b.state.MaxX = b.state.MaxY = 1000.0f;
    b.state.MinX = b.state.MinY = -1000.0f;
    b.projection.arkIJ(true, false, true, 0.25f, 0.25f, 0.0f, 1.0f, 1.0f, 300.0f);
    EXPECT_LT(b.projection.ExactArcPoints, 100);
    const double pixels = 2 * kPiL * 300;
    EXPECT_GT(b.canvas.Segments().size(), pixels * 0.9);
    EXPECT_LT(b.canvas.Segments().size(), pixels * 1.5);
    const auto& segs = b.canvas.Segments();
    for (std::size_t i = 1; i < segs.size(); ++i) {  // the first comes from program zero
        const auto& s = segs[i];
        EXPECT_LE(std::abs(s.to.x - s.from.x), 1);
        EXPECT_LE(std::abs(s.to.y - s.from.y), 1);
    }
}
