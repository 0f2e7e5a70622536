#include "text/geometry.h"

#include <charconv>
#include <cmath>

#include "text/number_format.h"

namespace tolva {
namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;
constexpr long double kTwoPi = 2.0L * kPi;

// Two-argument arc tangent of (n, d) built the way every angle here is
// built: a zero d becomes `zeroD`, and the quadrant tests look at that
// replaced d. Result in (-pi/2, 3pi/2]. In long double unless a caller
// knows double is enough.
template <class Real>
Real quadrantAngle(Real n, Real d, Real zeroD) {
    if (d == 0) d = zeroD;
    Real a = -std::atan(n / d);
    if (n > 0 && d <= 0) a += static_cast<Real>(kPi);
    if (n <= 0 && d < 0) a += static_cast<Real>(kPi);
    return a;
}

// The chord angle of the arc-centre routines, in (0, 2pi].
long double chordAngle(long double n, long double d) {
    long double theta = kTwoPi - quadrantAngle(n, d, 1e-8L);
    if (theta > kTwoPi) theta -= kTwoPi;
    return theta;
}

struct CentreGeometry {
    long double theta;  // chord angle
    long double beta;   // angle between the chord and the radius at the start
    bool samePoint;
};

CentreGeometry centreGeometry(long double n, long double d, long double q1, long double q2,
                              long double q3, long double q4, long double radius) {
    const long double dx = q3 - q1, dy = q4 - q2;
    const long double half = std::fabs(std::sqrt(dx * dx + dy * dy) / 2.0L);
    const long double leg = std::sqrt(std::fabs(radius * radius - half * half));
    const long double beta = half > 0.0L ? std::fabs(std::atan(leg / half)) : 0.0L;
    return {chordAngle(n, d), beta, q1 == q3 && q2 == q4};
}

// Offsets R*(sin phi, cos phi) along the chord convention, with the side
// rule shared by XY, XZ and the scaled form. `longWay` picks the other centre
// (the arc of more than half a turn); it means nothing for a full circle.
ArcCentre chordSideCentre(bool clockwise, long double q1, long double q2, long double q3,
                          long double q4, long double R, bool longWay) {
    const long double r = std::fabs(R);
    const CentreGeometry g = centreGeometry(q3 - q1, q4 - q2, q1, q2, q3, q4, r);
    bool plus = clockwise;
    if (longWay && !g.samePoint) plus = !plus;
    const long double phi = plus ? g.theta + g.beta : g.theta - g.beta;
    long double u = r * std::sin(phi), v = r * std::cos(phi);
    if (g.samePoint) std::swap(u, v);
    return {static_cast<float>(u), static_cast<float>(v), static_cast<float>(g.theta)};
}

// The texts are our own coordinates, which a double holds as written; the
// long double reading is far slower.
bool readNumber(std::string_view text, long double& out) {
    double v = 0.0;
    if (!ReadPlainReal(text, v)) return false;
    out = v;
    return true;
}

}  // namespace

float Hypot2(long double a, long double b) {
    return static_cast<float>(std::sqrt(a * a + b * b));
}

float LegLength(long double a, long double b) {
    return static_cast<float>(std::sqrt(std::fabs(a * a - b * b)));
}

float VectorAngle(long double p1, long double p2, long double p3, long double p4) {
    const long double n = p1 - p3, d = p2 - p4;
    // The arc tangent in double is several times quicker than in long double
    // and, with differences a double holds exactly (those of floats), within
    // 1e-14 of it (roundings of the quotient, the arc tangent, the half turn
    // and the sum). When both ends of that interval round to the same float,
    // so does the long double angle.
    const double nd = static_cast<double>(n), dd = static_cast<double>(d);
    if (nd == n && dd == d) {
        const double a = quadrantAngle(nd, dd, 1e-10);
        constexpr double e = 1e-14;
        const float lo = static_cast<float>(a - e), hi = static_cast<float>(a + e);
        if (lo == hi && std::isfinite(a)) return lo;
    }
    return static_cast<float>(quadrantAngle(n, d, 1e-10L));
}

float Calc_VectorIJ(long double X1, long double Y1, long double X2, long double Y2) {
    long double a = quadrantAngle(X2 - X1, Y2 - Y1, 1e-8L);
    if (a < kTwoPi) a = kTwoPi - a;
    if (a > kTwoPi) a -= kTwoPi;
    return static_cast<float>(a);
}

ArcCentre ArcCentreXY(bool clockwise, long double q1, long double q2, long double q3,
                      long double q4, long double R) {
    return chordSideCentre(clockwise, q1, q2, q3, q4, R, R < 0.0L);
}

ScaledArcCentre ArcCentreScaled(bool clockwise, long double q1, long double q2, long double q3,
                                long double q4, long double R, long double fX, long double fY) {
    ScaledArcCentre out;
    out.centre = chordSideCentre(clockwise, q1, q2, q3, q4, R, R < 0.0L);
    if (fX == 0.0L || fY == 0.0L) {
        out.centre.u = out.centre.v = 0.0f;
        return out;
    }
    out.centre.u = static_cast<float>(out.centre.u * std::fabs(fX));
    out.centre.v = static_cast<float>(out.centre.v * std::fabs(fY));
    out.written = true;
    return out;
}

BulgeArcResult BulgeArc(std::string_view x1t, std::string_view y1t, std::string_view x2t,
                        std::string_view y2t, long double bulge, bool clockwise, long double fX,
                        long double fY, int decimalPlaces) {
    BulgeArcResult out;
    long double x1, y1, x2, y2;
    if (!readNumber(x1t, x1) || !readNumber(y1t, y1) || !readNumber(x2t, x2) ||
        !readNumber(y2t, y2) || !std::isfinite(bulge))
        return out;
    const long double included = std::fabs(4.0L * std::atan(bulge));
    if (included == 0.0L) return out;  // a straight segment has no radius
    const bool scaled = fX != 0.0L && fY != 0.0L;
    // The drawing's own points (machine X is the drawing's Y times fX,
    // machine Y its X times fY): the arc is round there, and only there when
    // the two factors differ (a lathe's diameters).
    const long double dx1 = scaled ? y1 / fY : y1, dy1 = scaled ? x1 / fX : x1;
    const long double dx2 = scaled ? y2 / fY : y2, dy2 = scaled ? x2 / fX : x2;
    const long double ex = dx2 - dx1, ey = dy2 - dy1;
    const long double chord = std::hypot(ex, ey);
    // chord / sin A * sin((pi - A) / 2) in the form that stays exact at a
    // half circle, where sin A is 0.
    long double r = chord / (2.0L * std::sin(included / 2.0L));
    if (std::fabs(bulge) > 1.0L) r = -r;
    out.ok = true;
    out.Radius = static_cast<double>(r);
    out.RadiusText = DecimalText(out.Radius, decimalPlaces);
    if (!scaled) return out;
    // The centre lies on the chord's perpendicular bisector, (1 - b^2) / (4 |b|)
    // chord lengths from the midpoint: to the left of the chord for an arc
    // turning counter-clockwise in the drawing, to the right otherwise, and
    // across the chord when |b| > 1. Taken from the bulge itself, a half
    // circle's centre is the midpoint exactly.
    const long double k = (1.0L - bulge * bulge) / (4.0L * std::fabs(bulge)) * (clockwise ? -1.0L : 1.0L);
    const long double cx = (dx1 + dx2) / 2.0L - k * ey, cy = (dy1 + dy2) / 2.0L + k * ex;
    out.centreComputed = true;
    out.CentreX = static_cast<double>(cy * fX);
    out.CentreY = static_cast<double>(cx * fY);
    out.CentreXText = DecimalText(out.CentreX, decimalPlaces);
    out.CentreYText = DecimalText(out.CentreY, decimalPlaces);
    return out;
}

}  // namespace tolva
