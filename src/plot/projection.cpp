#include "plot/projection.h"

#include <cmath>

#include "text/number_format.h"

namespace tolva {
namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;
constexpr long double kHalfPi = kPi / 2.0L;
constexpr long double kTwoPi = 2.0L * kPi;
// Degrees to radians as the view angles have always been converted.
constexpr long double kDegree = 0.01745329252L;
// Beyond this a pixel is far off any canvas; clamping keeps the conversion
// to int defined.
constexpr long double kPixelLimit = 1.0e9L;
// An arc of a huge radius in pixels would otherwise be stepped in billions of
// sub-pixel chords; past this many steps the chords simply get longer.
constexpr long double kMaxArcSteps = 1 << 20;

int toPixel(long double v) {
    if (!(v == v)) return 0;
    if (v > kPixelLimit) v = kPixelLimit;
    if (v < -kPixelLimit) v = -kPixelLimit;
    // Ties to even in the default rounding mode; lrint on a double is one
    // instruction where nearbyint on a long double is a library call that
    // saves and restores the floating-point environment (it dominated a plot).
    return static_cast<int>(std::lrint(static_cast<double>(v)));
}

int clampOrigin(long long v) {
    if (v > 1000000000LL) return 1000000000;
    if (v < -1000000000LL) return -1000000000;
    return static_cast<int>(v);
}

}  // namespace

ArcSweep FixAngles(float A, float B, float r, bool clockwise, bool fullCircle) {
    ArcSweep s;
    s.from = static_cast<long double>(B) - kHalfPi;
    s.to = static_cast<long double>(A) - kHalfPi;
    if (fullCircle) {
        // A clockwise sweep starts at `to` and a counter-clockwise one at
        // `from`; keep that end and put the other a whole turn away.
        if (clockwise)
            s.from = s.to - kTwoPi;
        else
            s.to = s.from + kTwoPi;
    } else {
        if (s.to < s.from) s.to += kTwoPi;
        if (s.from == s.to) s.from -= kTwoPi;
    }
    s.r = r == 0.0f ? 0.0001L : static_cast<long double>(r);
    return s;
}

long double GetIncrement(float r, int p) {
    if (p < 1) p = 1;
    if (p > 20) p = 20;
    long double step = p / std::fabs(static_cast<long double>(r) + 0.0001L);
    if (p < 5) step /= (6 - p);
    return step;
}

void Projection::SetViewAngles(int spinEdit3, int spinEdit4, int zAxisSpinEdit) {
    a_ = spinEdit3;
    b_ = spinEdit4;
    c_ = zAxisSpinEdit;
    viewDirty_ = true;
}

void Projection::refreshRotation() {
    const long double a = a_ * kDegree, b = b_ * kDegree, c = c_ * kDegree;
    sinA_ = std::sin(a);
    cosA_ = std::cos(a);
    sinB_ = std::sin(b);
    cosB_ = std::cos(b);
    sinC_ = std::sin(c);
    cosC_ = std::cos(c);
    viewDirty_ = false;
}

Pixel Projection::Project(float X, float Y, float Z) {
    if (viewDirty_) refreshRotation();
    long double x3 = X, y3 = Y;
    if (a_ != 0 || b_ != 0 || c_ != 0) {
        const long double x = X, y = Y, z = Z;
        const long double x1 = x * cosA_ + z * sinA_;  // about Y by a
        const long double z1 = z * cosA_ - x * sinA_;
        const long double y2 = y * cosB_ - z1 * sinB_;  // about X by b
        x3 = x1 * cosC_ - y2 * sinC_;                   // about Z by c
        y3 = x1 * sinC_ + y2 * cosC_;
    }
    // The program's X runs down the screen, Y across.
    return {toPixel(state_.OriginX + y3), toPixel(state_.OriginY + x3)};
}

void Projection::LINE3d(float X, float Y, float Z) {
    // Moves programmed on the first line of a program are never drawn.
    if (state_.CurLine < 1) return;
    if (!std::isfinite(X) || !std::isfinite(Y) || !std::isfinite(Z)) return;

    if (!indicator_) {
        if (state_.DxfExportOn && state_.DxfLinesOnly && Dxf &&
            (Settings.WriteBlueLine || canvas_.PenColour() == kRed)) {
            const long double k = state_.ViewScale;
            Dxf->DxfBody(static_cast<float>(LastDxfX / k), static_cast<float>(LastDxfY / k),
                         static_cast<float>(LastDxfZ / k), static_cast<float>(X / k),
                         static_cast<float>(Y / k), static_cast<float>(Z / k));
        }
        LastDxfX = X;
        LastDxfY = Y;
        LastDxfZ = Z;

        if (X > state_.MaxX) state_.MaxX = X;
        if (X < state_.MinX) state_.MinX = X;
        if (Y > state_.MaxY) state_.MaxY = Y;
        if (Y < state_.MinY) state_.MinY = Y;
    }

    const Pixel p = Project(X, Y, Z);
    if (p != canvas_.PenPosition()) canvas_.LineTo(p);
}

void Projection::arcPoint(ArcPlane plane, long double c1, long double c2, long double r,
                          long double theta, long double linear) {
    arcPointCS(plane, c1, c2, r, std::cos(theta), std::sin(theta), linear);
}

void Projection::arcPointCS(ArcPlane plane, long double c1, long double c2, long double r,
                            long double cosT, long double sinT, long double linear) {
    const float u = static_cast<float>(c1 - r * cosT);
    const float v = static_cast<float>(c2 - r * sinT);
    const float w = static_cast<float>(linear);
    switch (plane) {
        case ArcPlane::XY: LINE3d(u, v, w); break;
        case ArcPlane::XZ: LINE3d(u, w, v); break;
        case ArcPlane::YZ: LINE3d(w, u, v); break;
    }
}

void Projection::stepArc(ArcPlane plane, bool continuous, bool clockwise, bool fullCircle,
                         float c1, float c2, float linearEnd, float A, float B, float r) {
    long double step = GetIncrement(r);
    const ArcSweep s = FixAngles(A, B, r, clockwise, fullCircle);
    if (!std::isfinite(s.from) || !std::isfinite(s.to) || !std::isfinite(s.r) ||
        !std::isfinite(c1) || !std::isfinite(c2) || !std::isfinite(linearEnd))
        return;
    const long double span = s.to - s.from;  // > 0
    state_.TotalDist = static_cast<float>(state_.TotalDist + std::fabs(span) * s.r);

    if (!(step > 0.0L) || !std::isfinite(step)) step = span;
    long double steps = span / step;
    if (steps > kMaxArcSteps) {
        step = span / kMaxArcSteps;
        steps = kMaxArcSteps;
    }
    const long double linearStart = plane == ArcPlane::XY   ? state_.PrevZ
                                    : plane == ArcPlane::XZ ? state_.PrevY
                                                            : state_.PrevX;
    const long double dz = steps > 0.0L ? (linearEnd - linearStart) / steps : 0.0L;

    // Angles are taken as from + i*step rather than summed, so a long arc
    // does not drift and a tiny step still advances. Their cosine and sine
    // come from turning the previous pair by the step (four products instead
    // of two transcendental calls per point), taken afresh every kResync
    // points so the rounding never accumulates.
    constexpr long long kResync = 64;
    const long double cosStep = std::cos(step), sinStep = std::sin(step);
    const long double dir = clockwise ? -1.0L : 1.0L;
    const long double first = clockwise ? s.to : s.from;
    long double c = 0.0L, sn = 0.0L;
    for (long long i = 0;; ++i) {
        const long double theta = first + dir * i * step;
        if (clockwise ? theta < s.from : theta > s.to) break;
        if (i % kResync == 0) {
            c = std::cos(theta);
            sn = std::sin(theta);
        }
        if (!continuous) canvas_.Refresh();
        arcPointCS(plane, c1, c2, s.r, c, sn, linearStart + i * dz);
        const long double nc = c * cosStep - dir * sn * sinStep;
        sn = sn * cosStep + dir * c * sinStep;
        c = nc;
    }
    if (!continuous) canvas_.Refresh();
    arcPoint(plane, c1, c2, s.r, clockwise ? s.from : s.to, linearEnd);
}

void Projection::arkIJ(bool continuous, bool clockwise, bool fullCircle, float cx, float cy,
                       float linearEnd, float A, float B, float r) {
    stepArc(ArcPlane::XY, continuous, clockwise, fullCircle, cx, cy, linearEnd, A, B, r);
}

void Projection::arkIK(bool continuous, bool clockwise, bool fullCircle, float cx, float cz,
                       float linearEnd, float A, float B, float r) {
    stepArc(ArcPlane::XZ, continuous, clockwise, fullCircle, cx, cz, linearEnd, A, B, r);
}

void Projection::arkJK(bool continuous, bool clockwise, bool fullCircle, float cy, float cz,
                       float linearEnd, float A, float B, float r) {
    stepArc(ArcPlane::YZ, continuous, clockwise, fullCircle, cy, cz, linearEnd, A, B, r);
}

void Projection::Drawxyz(int canvasHeight) {
    const int savedLine = state_.CurLine;
    const int savedX = state_.OriginX, savedY = state_.OriginY;
    const Colour savedColour = canvas_.PenColour();
    const int savedWidth = canvas_.PenWidth();

    state_.CurLine = 1;  // past the first-line rule
    state_.OriginX = 40;
    state_.OriginY = canvasHeight - 30;
    indicator_ = true;
    canvas_.SetPenWidth(2);
    canvas_.MoveTo(Project(0.0f, 0.0f, 0.0f));

    const float leg = 25.0f;
    canvas_.SetPenColour(kRed);
    LINE3d(leg * state_.XSign, 0.0f, 0.0f);
    LINE3d(0.0f, 0.0f, 0.0f);
    canvas_.SetPenColour(kGreen);
    LINE3d(0.0f, leg * state_.YSign, 0.0f);
    LINE3d(0.0f, 0.0f, 0.0f);
    canvas_.SetPenColour(kBlue);
    LINE3d(0.0f, 0.0f, leg * state_.ZSign);
    LINE3d(0.0f, 0.0f, 0.0f);

    indicator_ = false;
    canvas_.SetPenWidth(savedWidth);
    canvas_.SetPenColour(savedColour);
    state_.OriginX = savedX;
    state_.OriginY = savedY;
    state_.CurLine = savedLine;
}

void Projection::TakeViewScale(int spinValue, const VisibleArea& area) {
    if (spinValue < 1) spinValue = 1;
    const float old = state_.ViewScale;
    const float now = static_cast<float>(spinValue / 1000.0L);
    if (old != 1.0f && old != now && old > 0.0f && !PreviousRestored) {
        const long double k = static_cast<long double>(now) / old;
        const long double cx = area.ClientWidth / 2.0L + area.ScrollX;
        const long double cy = area.ClientHeight / 2.0L + area.ScrollY + area.PanelHeight + 25;
        const long double dx = cx - state_.OriginX, dy = cy - state_.OriginY;
        state_.OriginX = clampOrigin(state_.OriginX - RoundHalfEven(k * dx - dx));
        state_.OriginY = clampOrigin(state_.OriginY - RoundHalfEven(k * dy - dy));
    }
    PreviousRestored = false;
    state_.ViewScale = now;
}

}  // namespace tolva
