#include "plot/projection.h"

#include <algorithm>
#include <cmath>

#include "plot/arc_kernels.h"
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

// float(c1 - r cos(theta)) and float(c2 - r sin(theta)), both evaluated in
// extended precision: taken from double arithmetic when the error bound e
// (far above the real error) cannot change either float, else computed in
// extended precision. Rounding to float is monotone, so equal floats at both
// ends of [value - e, value + e] are the float of every value in between.
void arcFloats(long double c1, long double c2, long double r, long double theta, float& u, float& v) {
    const double t = static_cast<double>(theta);
    if (std::fabs(t) < 1.0e6) {
        const double cd = static_cast<double>(c1), c2d = static_cast<double>(c2), rd = static_cast<double>(r);
        const double ud = cd - rd * std::cos(t), vd = c2d - rd * std::sin(t);
        const double e = (std::fabs(cd) + std::fabs(c2d) + std::fabs(rd) * (2.0 + std::fabs(t))) * 0x1p-48;
        const float u1 = static_cast<float>(ud - e), u2 = static_cast<float>(ud + e);
        const float v1 = static_cast<float>(vd - e), v2 = static_cast<float>(vd + e);
        if (u1 == u2 && v1 == v2) {
            u = u1;
            v = v1;
            return;
        }
    }
    u = static_cast<float>(c1 - r * std::cos(theta));
    v = static_cast<float>(c2 - r * std::sin(theta));
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
        if (dxfPoint_ != DxfPoint::Skipped) {
            const bool toEnd = dxfPoint_ == DxfPoint::MoveEnd;
            const float tx = toEnd ? moveEndX_ : X, ty = toEnd ? moveEndY_ : Y, tz = toEnd ? moveEndZ_ : Z;
            if (state_.DxfExportOn && state_.DxfLinesOnly && Dxf &&
                (Settings.WriteBlueLine || canvas_.PenColour() == kRed)) {
                const long double k = state_.ViewScale;
                Dxf->DxfBody(static_cast<float>(LastDxfX / k), static_cast<float>(LastDxfY / k),
                             static_cast<float>(LastDxfZ / k), static_cast<float>(tx / k),
                             static_cast<float>(ty / k), static_cast<float>(tz / k));
            }
            LastDxfX = tx;
            LastDxfY = ty;
            LastDxfZ = tz;
        }

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
    float u, v;
    arcFloats(c1, c2, r, theta, u, v);
    const float w = static_cast<float>(linear);
    switch (plane) {
        case ArcPlane::XY: LINE3d(u, v, w); break;
        case ArcPlane::XZ: LINE3d(u, w, v); break;
        case ArcPlane::YZ: LINE3d(w, u, v); break;
    }
}

long double Projection::ArcSteps::Angle(long long i) const { return first + dir * i * step; }

bool Projection::ArcSteps::Inside(long long i) const {
    const long double t = Angle(i);
    return clockwise ? !(t < from) : !(t > to);
}

long long Projection::ArcSteps::Count() const {
    // Point i lies at first + dir*i*step, in order, while it stays inside
    // [from, to]; the angles are monotone in i, so count from an estimate.
    // A pair more than a turn apart leaves no room even for point 0.
    if (!Inside(0)) return 0;
    long double est = std::floor((to - from) / step);
    if (!(est >= 0.0L)) est = 0.0L;
    if (est > kMaxArcSteps + 2) est = kMaxArcSteps + 2;
    long long last = static_cast<long long>(est);
    while (last > 0 && !Inside(last)) --last;
    while (Inside(last + 1)) ++last;
    return last + 1;
}

void Projection::exactPoint(const ArcSteps& a, long long i) {
    ++ExactArcPoints;
    arcPoint(a.plane, a.c1, a.c2, a.r, a.Angle(i), a.linearStart + i * a.dz);
}

void Projection::stepArc(ArcPlane plane, bool continuous, bool clockwise, bool fullCircle,
                         float c1, float c2, float linearEnd, float A, float B, float r) {
    long double step = GetIncrement(r);
    const ArcSweep s = FixAngles(A, B, r, clockwise, fullCircle);
    if (!std::isfinite(s.from) || !std::isfinite(s.to) || !std::isfinite(s.r) ||
        !std::isfinite(c1) || !std::isfinite(c2) || !std::isfinite(linearEnd))
        return;
    const long double span = s.to - s.from;  // > 0
    lastSweep_ = std::fabs(span);
    state_.TotalDist += static_cast<double>(std::fabs(span) * s.r);
    MovedLength += std::fabs(span) * s.r;

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

    // Point i at angle first + dir*i*step, taken afresh for every point (no
    // running sum, so a long arc does not drift and a tiny step still
    // advances), its linear axis at linearStart + i*dz.
    ArcSteps a;
    a.plane = plane;
    a.clockwise = clockwise;
    a.c1 = c1;
    a.c2 = c2;
    a.r = s.r;
    a.from = s.from;
    a.to = s.to;
    a.first = clockwise ? s.to : s.from;
    a.dir = clockwise ? -1.0L : 1.0L;
    a.step = step;
    a.linearStart = linearStart;
    a.dz = dz;
    const long long n = a.Count();
    // A lines-only export of a whole move writes the sweep from the move's
    // start to its programmed end.
    const bool chain = dxfMove_ && state_.DxfExportOn && state_.DxfLinesOnly && Dxf;
    if (chain) {
        LastDxfX = state_.PrevX;
        LastDxfY = state_.PrevY;
        LastDxfZ = state_.PrevZ;
    }
    if (!continuous || !fastArc(a, n)) {
        for (long long i = 0; i < n; ++i) {
            if (!continuous) canvas_.Refresh();
            if (chain && i == 0) dxfPoint_ = DxfPoint::Skipped;  // the start itself
            exactPoint(a, i);
            dxfPoint_ = DxfPoint::Drawn;
        }
    }
    if (!continuous) canvas_.Refresh();
    if (chain) dxfPoint_ = DxfPoint::MoveEnd;
    arcPoint(plane, c1, c2, s.r, clockwise ? s.from : s.to, linearEnd);
    dxfPoint_ = DxfPoint::Drawn;
}

void Projection::BeginDxfMove(float endX, float endY, float endZ) {
    dxfMove_ = true;
    LastDxfX = state_.PrevX;
    LastDxfY = state_.PrevY;
    LastDxfZ = state_.PrevZ;
    moveEndX_ = endX;
    moveEndY_ = endY;
    moveEndZ_ = endZ;
}

namespace {

ArcForm combine(double w1, const ArcForm& f1, double w2, const ArcForm& f2, double w3, const ArcForm& f3,
                double offset) {
    return {offset + w1 * f1.k0 + w2 * f2.k0 + w3 * f3.k0, w1 * f1.kc + w2 * f2.kc + w3 * f3.kc,
            w1 * f1.ks + w2 * f2.ks + w3 * f3.ks, w1 * f1.ki + w2 * f2.ki + w3 * f3.ki};
}

// Sine and cosine of a small angle (an arc step is a fraction of a radian)
// by their series, to within a unit in the last place; the library for
// larger ones.
inline void sinCosOfStep(double h, double& s, double& c) {
    if (!(std::fabs(h) <= 0.25)) {
        s = std::sin(h), c = std::cos(h);
        return;
    }
    // Terms to h^15 and h^14: the next are below 2^-60 of the result.
    const double x = h * h;
    s = h * (1.0 + x * (-1.0 / 6 + x * (1.0 / 120 + x * (-1.0 / 5040 + x * (1.0 / 362880 +
             x * (-1.0 / 39916800 + x * (1.0 / 6227020800.0 + x * (-1.0 / 1307674368000.0))))))));
    c = 1.0 + x * (-1.0 / 2 + x * (1.0 / 24 + x * (-1.0 / 720 + x * (1.0 / 40320 + x * (-1.0 / 3628800 +
        x * (1.0 / 479001600.0 + x * (-1.0 / 87178291200.0)))))));
}

}  // namespace

// The arc's points decide exactly what the specified stepping decides, but
// without its per-point cost: the cosine and sine of each point come from a
// short table and the point's pixel is computed in double. Every decision
// the stepping makes per point (which pixel, whether it differs from the pen,
// whether it moves an extent) is taken here only when it is certain, that is
// when the double value lies farther from the deciding boundary than the sum
// of (a) the float rounding of the coordinates the stepping would hand to
// LINE3d and (b) a generous bound on the error of the double arithmetic.
// Any point that is not certain goes through exactPoint, the stepping itself.
// A point that is certain to land on the pen's pixel without moving an extent
// draws nothing in the stepping either, and is skipped. The drawn segments,
// the extents and every total are therefore those of the stepping; the test
// ArcStepping.FastStepsDrawExactlyWhatTheSteppingDraws compares them.
bool Projection::fastArc(const ArcSteps& a, long long n) {
    // Lines-only DXF export takes every point; the axis indicator draws no arcs.
    if ((state_.DxfExportOn && state_.DxfLinesOnly && Dxf) || indicator_) return false;
    // Nothing on the first program line is drawn or measured.
    if (state_.CurLine < 1) return true;
    if (n < kBlock) return false;  // a few points: the stepping is as quick

    const double c1 = static_cast<double>(a.c1), c2 = static_cast<double>(a.c2), r = static_cast<double>(a.r);
    const double lin0 = static_cast<double>(a.linearStart), dz = static_cast<double>(a.dz);
    const double linLast = lin0 + dz * static_cast<double>(n - 1);
    // Bounds of the three coordinates over the arc, for the rounding margins.
    const double mU = std::fabs(c1) + r, mV = std::fabs(c2) + r;
    const double mW = std::max(std::fabs(lin0), std::fabs(linLast));
    const double ox = state_.OriginX, oy = state_.OriginY;
    constexpr double kMaxCoordinate = 1.0e6;  // pixels; beyond, floats are too coarse to gain anything
    if (!(mU < kMaxCoordinate && mV < kMaxCoordinate && mW < kMaxCoordinate) || std::fabs(ox) > 1.0e8 ||
        std::fabs(oy) > 1.0e8)
        return false;

    // The in-plane coordinates U, V and the linear axis W, and X Y Z from them.
    const ArcForm U{c1, -r, 0, 0}, V{c2, 0, -r, 0}, W{lin0, 0, 0, dz};
    const ArcForm* X = &U;
    const ArcForm* Y = &V;
    const ArcForm* Z = &W;
    double mX = mU, mY = mV, mZ = mW;
    if (a.plane == ArcPlane::XZ) Y = &W, Z = &V, mY = mW, mZ = mV;
    if (a.plane == ArcPlane::YZ) X = &W, Y = &U, Z = &V, mX = mW, mY = mU, mZ = mV;

    // The view: vertical pixel OriginY + X3, horizontal OriginX + Y3.
    if (viewDirty_) refreshRotation();
    double m[2][3] = {{1, 0, 0}, {0, 1, 0}};
    if (a_ != 0 || b_ != 0 || c_ != 0) {
        const double sA = sinA_, cA = cosA_, sB = sinB_, cB = cosB_, sC = sinC_, cC = cosC_;
        m[0][0] = cA * cC - sA * sB * sC, m[0][1] = -cB * sC, m[0][2] = sA * cC + cA * sB * sC;
        m[1][0] = cA * sC + sA * sB * cC, m[1][1] = cB * cC, m[1][2] = sA * sC - cA * sB * cC;
    }
    const ArcForm qv = combine(m[0][0], *X, m[0][1], *Y, m[0][2], *Z, oy);
    const ArcForm qh = combine(m[1][0], *X, m[1][1], *Y, m[1][2], *Z, ox);

    // (b): far above the real error of tables, turns and sums (about 1e-13
    // of the magnitudes).
    const double err = (mX + mY + mZ + std::fabs(ox) + std::fabs(oy) + 1.0) * 0x1p-36;
    // (a): a float is within half a unit in the last place, 2^-24 relative.
    auto margin = [&](const double* row) {
        return (std::fabs(row[0]) * mX + std::fabs(row[1]) * mY + std::fabs(row[2]) * mZ) * 0x1p-24 *
                   (1.0 + 1.0e-6) + err + 1.0e-30;
    };
    const double tolV = margin(m[0]), tolH = margin(m[1]);
    if (tolV > 0.01 || tolH > 0.01) return false;

    // Extents: skipped when the arc's whole box lies inside them; they only
    // grow, so that stays true for the whole arc.
    auto span = [&](const ArcForm* f, double& lo, double& hi) {
        if (f == &W) {
            lo = std::min(lin0, linLast), hi = std::max(lin0, linLast);
        } else {
            const double c = f->k0;
            lo = c - r, hi = c + r;
        }
    };
    double xLo, xHi, yLo, yHi;
    span(X, xLo, xHi);
    span(Y, yLo, yHi);
    const bool checkExtents = !(xHi + err < state_.MaxX && xLo - err > state_.MinX && yHi + err < state_.MaxY &&
                                yLo - err > state_.MinY);

    // Cosine and sine of k steps, signed with the direction.
    const double h = static_cast<double>(a.step), dir = static_cast<double>(a.dir);
    double C[kBlock + 1], S[kBlock + 1];
    C[0] = 1.0, S[0] = 0.0;
    sinCosOfStep(h, S[1], C[1]);
    S[1] *= dir;
    // Four turns in a row, then four chains that do not wait on each other.
    for (int k = 1; k < 4; ++k) {
        C[k + 1] = C[k] * C[1] - S[k] * S[1];
        S[k + 1] = S[k] * C[1] + C[k] * S[1];
    }
    for (int k = 1; k + 4 <= kBlock; ++k) {
        C[k + 4] = C[k] * C[4] - S[k] * S[4];
        S[k + 4] = S[k] * C[4] + C[k] * S[4];
    }
    BlockRun run;
    FormTable& tv = run.v;
    FormTable& th = run.h;
    FormTable tx, ty;
    tv.Build(qv, C, S);
    th.Build(qh, C, S);
    if (checkExtents) {
        tx.Build(*X, C, S);
        ty.Build(*Y, C, S);
    }

    // A point is certain of its pixel when it lies this far inside it.
    const double limH = 0.5 - tolH, limV = 0.5 - tolV;
    // Certain to leave the extents alone: strictly inside these.
    double exLo = 0, exHi = 0, eyLo = 0, eyHi = 0;
    auto takeExtents = [&] {
        exLo = state_.MinX + err, exHi = state_.MaxX - err;
        eyLo = state_.MinY + err, eyHi = state_.MaxY - err;
    };
    takeExtents();

    // The pen's pixel as the stepping would have it after each point; the
    // pixels it moves to in a block are painted together after the block.
    Pixel pen = canvas_.PenPosition();
    double ph = pen.x, pv = pen.y;
    // Room for a block's full-width stores past the last move.
    if (moves_.size() < (kResyncBlocks + 2) * kBlock) moves_.resize((kResyncBlocks + 2) * kBlock);
    Pixel* const moves = moves_.data();
    int count = 0;
    auto paint = [&] {
        if (count) canvas_.PolylineTo(moves, count);
        count = 0;
    };
    auto exact = [&](long long i) {
        paint();
        exactPoint(a, i);
        takeExtents();
        pen = canvas_.PenPosition();
        ph = pen.x, pv = pen.y;
    };

    run.Take(limV, limH, C[kBlock], S[kBlock], h, std::fabs(qv.kc) + std::fabs(qv.ks),
             std::fabs(qh.kc) + std::fabs(qh.ks));
    const long long blocksInAll = (n + kBlock - 1) / kBlock;

    double cb = 0, sb = 0;
    for (long long b = 0, block = 0; b < n; b += kBlock, ++block) {
        if (block % kResyncBlocks == 0) {
            const double t = static_cast<double>(a.Angle(b));
            cb = std::cos(t), sb = std::sin(t);
        }
        if (!checkExtents) {
            // Whole blocks up to the next resync, as long as every point is certain.
            const long long want = std::min<long long>(kResyncBlocks - block % kResyncBlocks, blocksInAll - block);
            if (want > 0) {
                const int done = ArcBlockKernel()(run, b, static_cast<int>(want), n, cb, sb, ph, pv, moves, count);
                paint();
                b += done * kBlock, block += done;
                if (b >= n) break;
                if (done == want) {
                    b -= kBlock, --block;  // the loop steps on; cb, sb are already the next block's
                    continue;
                }
            }
        }
        const double bd = static_cast<double>(b);
        const double baseV = tv.ki * bd, baseH = th.ki * bd;
        const int kEnd = n - b < kBlock ? static_cast<int>(n - b) : kBlock;
        for (int k = 0; k < kEnd; ++k) {
            if (checkExtents) {
                const double x = tx.At(k, cb, sb, tx.ki * bd), y = ty.At(k, cb, sb, ty.ki * bd);
                if (!(x < exHi && x > exLo && y < eyHi && y > eyLo)) {
                    exact(b + k);
                    continue;
                }
            }
            const double v = tv.At(k, cb, sb, baseV), hz = th.At(k, cb, sb, baseH);
            const double nh = nearestInt(hz), nv = nearestInt(v);
            // Non-short-circuit: the common case takes no branch.
            if (!((std::fabs(hz - nh) < limH) & (std::fabs(v - nv) < limV))) [[unlikely]] {
                exact(b + k);
                continue;
            }
            moves[count] = Pixel{static_cast<int>(nh), static_cast<int>(nv)};
            count += (nh != ph) | (nv != pv);
            ph = nh, pv = nv;
        }
        paint();
        const double nc = cb * C[kBlock] - sb * S[kBlock];
        sb = sb * C[kBlock] + cb * S[kBlock];
        cb = nc;
    }
    return true;
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
