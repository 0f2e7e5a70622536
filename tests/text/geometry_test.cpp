#include "text/geometry.h"

#include <cmath>
#include <cstring>
#include <random>
#include <gtest/gtest.h>

using namespace tolva;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEps = 1e-5;

}  // namespace

TEST(Lengths, HypotenuseAndOtherLeg) {
    EXPECT_FLOAT_EQ(Hypot2(3, 4), 5.0f);
    EXPECT_FLOAT_EQ(LegLength(5, 4), 3.0f);
    EXPECT_FLOAT_EQ(LegLength(4, 5), 3.0f);
}

TEST(VectorAngle, PointsOfTheCompass) {
    EXPECT_NEAR(VectorAngle(0, 1, 0, 0), 0.0, kEps);
    EXPECT_NEAR(VectorAngle(1, 0, 0, 0), -kPi / 2, kEps);  // zero difference taken as 1e-10
    EXPECT_NEAR(VectorAngle(0, -1, 0, 0), kPi, kEps);
    EXPECT_NEAR(VectorAngle(-1, 0, 0, 0), kPi / 2, kEps);
}

TEST(VectorAngle, PointIsCentrePlusRadiusAlongTheAngle) {
    const double cx = 3, cy = -2, r = 7;
    for (int deg = -170; deg <= 180; deg += 10) {
        const double t = deg * kPi / 180;
        const double px = cx + r * std::cos(t), py = cy + r * std::sin(t);
        const double phi = VectorAngle(px, py, cx, cy);
        EXPECT_GT(phi, -kPi / 2 - kEps);
        EXPECT_LE(phi, 3 * kPi / 2 + kEps);
        EXPECT_NEAR(cx - r * std::sin(phi), px, 1e-4) << deg;
        EXPECT_NEAR(cy + r * std::cos(phi), py, 1e-4) << deg;
    }
}

TEST(CalcVectorIJ, DirectionFromYTowardsXInOneTurn) {
    EXPECT_NEAR(Calc_VectorIJ(0, 0, 0, 1), 2 * kPi, kEps);
    EXPECT_NEAR(Calc_VectorIJ(0, 0, 1, 0), kPi / 2, kEps);
    EXPECT_NEAR(Calc_VectorIJ(0, 0, 0, -1), kPi, kEps);
    EXPECT_NEAR(Calc_VectorIJ(0, 0, -1, 0), 3 * kPi / 2, kEps);
    EXPECT_NEAR(Calc_VectorIJ(5, 5, 6, 6), kPi / 4, kEps);
}

TEST(ArcCentreXY, HalfCircleCentreIsTheChordMidpointEitherWay) {
    for (bool cw : {true, false}) {
        const ArcCentre c = ArcCentreXY(cw, 0, 0, 2, 0, 1);
        EXPECT_NEAR(c.u, 1.0, kEps);
        EXPECT_NEAR(c.v, 0.0, kEps);
        EXPECT_NEAR(c.theta, kPi / 2, kEps);
    }
}

TEST(ArcCentreXY, DirectionPicksTheSideAndNegativeRadiusTheOtherOne) {
    ArcCentre c = ArcCentreXY(true, 0, 0, 1, 1, 1);
    EXPECT_NEAR(c.u, 1.0, kEps);
    EXPECT_NEAR(c.v, 0.0, kEps);
    c = ArcCentreXY(false, 0, 0, 1, 1, 1);
    EXPECT_NEAR(c.u, 0.0, kEps);
    EXPECT_NEAR(c.v, 1.0, kEps);
    c = ArcCentreXY(true, 0, 0, 1, 1, -1);
    EXPECT_NEAR(c.u, 0.0, kEps);
    EXPECT_NEAR(c.v, 1.0, kEps);
    c = ArcCentreXY(false, 0, 0, 1, 1, -1);
    EXPECT_NEAR(c.u, 1.0, kEps);
    EXPECT_NEAR(c.v, 0.0, kEps);
}

TEST(ArcCentreXY, RadiusShorterThanHalfTheChordStillGivesACentre) {
    const ArcCentre c = ArcCentreXY(true, 0, 0, 4, 0, 1);
    EXPECT_TRUE(std::isfinite(c.u));
    EXPECT_TRUE(std::isfinite(c.v));
    EXPECT_NEAR(std::hypot(c.u, c.v), 1.0, kEps);  // |R| from the start
    // Leg sqrt(half^2 - R^2) = sqrt(3): the radius leaves the chord at atan(sqrt(3)/2).
    EXPECT_NEAR(std::atan2(std::fabs(c.v), c.u), std::atan(std::sqrt(3.0) / 2), kEps);
}

TEST(ArcCentre, FullCircleReturnsTheOffsetsExchanged) {
    ArcCentre c = ArcCentreXY(true, 3, 3, 3, 3, 2);
    EXPECT_NEAR(c.u, 2.0, kEps);
    EXPECT_NEAR(c.v, 0.0, kEps);
    // A negative radius has no other side to pick on a full circle.
    c = ArcCentreXY(true, 3, 3, 3, 3, -2);
    EXPECT_NEAR(c.u, 2.0, kEps);
    EXPECT_NEAR(c.v, 0.0, kEps);
    for (ArcCentre p : {ArcCentreXZ(true, 3, 3, 3, 3, 2), ArcCentreYZ(false, 3, 3, 3, 3, 2)})
        EXPECT_NEAR(std::hypot(p.u, p.v), 2.0, kEps);
}

// Radius arcs in XZ and YZ are found as in XY, in the plane's own two
// coordinates (the first across, the second up), negative radius included;
// the sweeps the plot draws from these centres are checked in
// tests/plot/radius_arc_test.cpp.
TEST(ArcCentrePlanes, XZAndYZAreXYInTheirOwnCoordinates) {
    for (bool cw : {true, false})
        for (double R : {1.0, -1.0, 3.0}) {
            const ArcCentre xy = ArcCentreXY(cw, 0.5, -2, 1.5, 0.25, R);
            for (const ArcCentre& c : {ArcCentreXZ(cw, 0.5, -2, 1.5, 0.25, R), ArcCentreYZ(cw, 0.5, -2, 1.5, 0.25, R)}) {
                EXPECT_EQ(c.u, xy.u);
                EXPECT_EQ(c.v, xy.v);
            }
        }
}

TEST(ArcCentreScaled, ScalesByFactorMagnitudesAndSkipsAZeroFactor) {
    ScaledArcCentre s = ArcCentreScaled(true, 0, 0, 1, 1, 1, -2, 3);
    ASSERT_TRUE(s.written);
    EXPECT_NEAR(s.centre.u, 2.0, kEps);
    EXPECT_NEAR(s.centre.v, 0.0, kEps);
    s = ArcCentreScaled(true, 0, 0, 1, 1, -1, 2, -3);
    EXPECT_NEAR(s.centre.u, 0.0, kEps);
    EXPECT_NEAR(s.centre.v, 3.0, kEps);
    EXPECT_FALSE(ArcCentreScaled(true, 0, 0, 1, 1, 1, 0, 1).written);
    EXPECT_FALSE(ArcCentreScaled(true, 0, 0, 1, 1, 1, 1, 0).written);
}

TEST(BulgeArc, BulgeOfOneIsAHalfCircleEitherWay) {
    for (double b : {1.0, -1.0}) {
        const BulgeArcResult r = BulgeArc("0.000", "0.000", "2.000", "0.000", b, true, 1, 1, 3);
        ASSERT_TRUE(r.ok);
        EXPECT_FLOAT_EQ(r.Radius, 1.0f);
        EXPECT_EQ(r.RadiusText, "1.000");
        ASSERT_TRUE(r.centreComputed);
        EXPECT_EQ(r.CentreXText, "1.000");
        EXPECT_EQ(r.CentreYText, "0.000");
    }
}

TEST(BulgeArc, QuarterArcSideFollowsDirectionAndMirroring) {
    const double quarter = std::tan(kPi / 8);  // 90 degrees included
    BulgeArcResult r = BulgeArc("0", "0", "1", "1", quarter, true, 1, 1, 4);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.RadiusText, "1.0000");
    EXPECT_EQ(r.CentreXText, "0.0000");
    EXPECT_EQ(r.CentreYText, "1.0000");
    // One mirrored axis: the given direction is used as it is.
    r = BulgeArc("0", "0", "1", "1", quarter, true, -1, 1, 4);
    EXPECT_EQ(r.CentreXText, "1.0000");
    EXPECT_EQ(r.CentreYText, "0.0000");
}

TEST(BulgeArc, MoreThanHalfACircleGetsANegativeRadiusAndTheFarCentre) {
    const double threeQuarters = std::tan(3 * kPi / 8);  // 270 degrees included
    const BulgeArcResult r = BulgeArc("0", "0", "1", "1", threeQuarters, true, 1, 1, 3);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.RadiusText, "-1.000");
    EXPECT_EQ(r.CentreXText, "1.000");
    EXPECT_EQ(r.CentreYText, "0.000");
}

TEST(BulgeArc, NoCentreForAZeroScaleAndNothingForBadInput) {
    BulgeArcResult r = BulgeArc("0", "0", "2", "0", 1, true, 0, 1, 3);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.RadiusText, "1.000");
    EXPECT_FALSE(r.centreComputed);
    EXPECT_FALSE(BulgeArc("0", "0", "2", "0", 0, true, 1, 1, 3).ok);  // straight
    EXPECT_FALSE(BulgeArc("x", "0", "2", "0", 1, true, 1, 1, 3).ok);
    EXPECT_FALSE(BulgeArc("0", "0", "2", "0", std::nan(""), true, 1, 1, 3).ok);
    // Exponent form, as large coordinates are written, reads back.
    r = BulgeArc("1.000000E+008", "0", "1.000000E+008", "2", 1, true, 1, 1, 0);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.RadiusText, "1");
}

TEST(VectorAngle, IsTheLongDoubleAngleRoundedOnce) {
    // The quick arc tangent must never change the float: compared with the
    // angle worked in long double throughout, over magnitudes from 1e-6 to
    // 1e6, on and near the axes and the diagonals.
    std::mt19937 rng(21);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    const long double pi = 3.141592653589793238462643383279502884L;
    auto slow = [&](long double p1, long double p2, long double p3, long double p4) {
        long double n = p1 - p3, d = p2 - p4;
        if (d == 0.0L) d = 1e-10L;
        long double a = -std::atan(n / d);
        if (n > 0.0L && d <= 0.0L) a += pi;
        if (n <= 0.0L && d < 0.0L) a += pi;
        return static_cast<float>(a);
    };
    for (int i = 0; i < 300000; ++i) {
        const double scale = std::pow(10.0, static_cast<int>(rng() % 13) - 6);
        float p1 = static_cast<float>(u(rng) * scale), p2 = static_cast<float>(u(rng) * scale);
        const float p3 = static_cast<float>(u(rng) * scale), p4 = static_cast<float>(u(rng) * scale);
        switch (rng() % 5) {
            case 0: p1 = p3; break;                      // on an axis
            case 1: p2 = p4; break;
            case 2: p2 = p4 + (p1 - p3); break;          // near a diagonal
            default: break;
        }
        const float want = slow(p1, p2, p3, p4), got = VectorAngle(p1, p2, p3, p4);
        ASSERT_EQ(std::memcmp(&want, &got, sizeof got), 0) << p1 << " " << p2 << " " << p3 << " " << p4;
    }
}
