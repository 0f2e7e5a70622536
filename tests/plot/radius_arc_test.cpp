// Radius arcs from end to end: the centre from the arc-centre routine of the
// plane, the angles and argument order the interpreter uses, and the sweep the
// projection then draws.
#include <cmath>
#include <gtest/gtest.h>

#include "plot_test_support.h"
#include "text/geometry.h"

using namespace tolva;
using tolva::test::PlotBench;

namespace {

constexpr double kPi = 3.14159265358979323846;

enum class Plane { XY, XZ, YZ };

struct Drawn {
    double sweep;                          // radians actually stepped
    double c1, c2;                         // centre in the plane's coordinates
    std::vector<std::pair<double, double>> pts;  // drawn points in the plane
};

// Draws the arc from (s1, s2) to (e1, e2) of radius R in `plane`, as drawn
// clockwise or not, the way the interpreter hands it over.
Drawn drawRadiusArc(Plane plane, bool cw, double s1, double s2, double e1, double e2, double R) {
    PlotBench b;
    b.TapPoints();
    b.projection.Settings.PlotResSpinEdit = 20;
    ArcCentre c = plane == Plane::XY   ? ArcCentreXY(cw, s1, s2, e1, e2, R)
                  : plane == Plane::XZ ? ArcCentreXZ(cw, s1, s2, e1, e2, R)
                                       : ArcCentreYZ(cw, s1, s2, e1, e2, R);
    const float c1 = static_cast<float>(s1 + c.u), c2 = static_cast<float>(s2 + c.v);
    float sa = VectorAngle(s1, s2, c1, c2), ea = VectorAngle(e1, e2, c1, c2);
    if (sa < 0 || ea < 0) {
        sa = static_cast<float>(sa + 2 * kPi);
        ea = static_cast<float>(ea + 2 * kPi);
    }
    const float r = static_cast<float>(std::hypot(c.u, c.v));
    // Every plane passes (start, end) when clockwise in its own two axes.
    const float A = cw ? sa : ea, B = cw ? ea : sa;
    switch (plane) {
        case Plane::XY:
            b.state.PrevX = s1, b.state.PrevY = s2;
            b.projection.arkIJ(true, cw, false, c1, c2, 0, A, B, r);
            break;
        case Plane::XZ:
            b.state.PrevX = s1, b.state.PrevZ = s2;
            b.projection.arkIK(true, cw, false, c1, c2, 0, A, B, r);
            break;
        case Plane::YZ:
            b.state.PrevY = s1, b.state.PrevZ = s2;
            b.projection.arkJK(true, cw, false, c1, c2, 0, A, B, r);
            break;
    }
    Drawn d{b.state.TotalDist / r, c1, c2, {}};
    for (const auto& l : b.dxf.lines) {
        if (plane == Plane::XY) d.pts.push_back({l.x2, l.y2});
        if (plane == Plane::XZ) d.pts.push_back({l.x2, l.z2});
        if (plane == Plane::YZ) d.pts.push_back({l.y2, l.z2});
    }
    return d;
}

bool near(std::pair<double, double> p, double a, double b) {
    return std::fabs(p.first - a) < 1e-3 && std::fabs(p.second - b) < 1e-3;
}

const double kChords[][2] = {{30, 40}, {-30, 40}, {-30, -40}, {30, -40},
                             {0, 60},  {60, 0},   {0, -60},   {-60, 0}, {10, 1}};

}  // namespace

TEST(RadiusArcs, EveryPlaneDrawsAtMostHalfATurnOnACircleThroughBothEnds) {
    for (Plane plane : {Plane::XY, Plane::XZ, Plane::YZ}) {
        for (bool cw : {true, false}) {
            for (const auto& ch : kChords) {
                for (double R : {50.0, 80.0, -80.0}) {
                    const double s1 = 12, s2 = -7, e1 = s1 + ch[0], e2 = s2 + ch[1];
                    const Drawn d = drawRadiusArc(plane, cw, s1, s2, e1, e2, R);
                    const std::string what = "plane " + std::to_string(static_cast<int>(plane)) +
                                             (cw ? " cw " : " ccw ") + std::to_string(ch[0]) +
                                             "," + std::to_string(ch[1]) + " R" + std::to_string(R);
                    // A negative radius asks for the long way round in every plane.
                    if (R < 0)
                        EXPECT_GE(d.sweep, kPi - 1e-4) << what;
                    else
                        EXPECT_LE(d.sweep, kPi + 1e-4) << what;
                    ASSERT_GE(d.pts.size(), 2u) << what;
                    for (const auto& p : d.pts)
                        EXPECT_NEAR(std::hypot(p.first - d.c1, p.second - d.c2), std::fabs(R), 2e-3) << what;
                    // The drawn polyline runs from the start point to the end point.
                    EXPECT_TRUE(near(d.pts.front(), s1, s2)) << what;
                    EXPECT_TRUE(near(d.pts.back(), e1, e2)) << what;
                }
            }
        }
    }
}

TEST(RadiusArcs, ClockwiseAndCounterClockwiseSweepTheTwoSidesOfTheChord) {
    for (Plane plane : {Plane::XY, Plane::XZ, Plane::YZ}) {
        const Drawn a = drawRadiusArc(plane, true, 0, 0, 60, 0, 50);
        const Drawn b = drawRadiusArc(plane, false, 0, 0, 60, 0, 50);
        // Mirror images across the chord: centres on opposite sides.
        EXPECT_NEAR(a.c1, 30, 1e-3);
        EXPECT_NEAR(b.c1, 30, 1e-3);
        EXPECT_NEAR(a.c2, -b.c2, 1e-3);
        EXPECT_NEAR(std::fabs(a.c2), 40, 1e-3);
        EXPECT_NEAR(a.sweep, b.sweep, 1e-4);
    }
}

