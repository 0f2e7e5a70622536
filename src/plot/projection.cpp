#include "plot/projection.h"

#include <algorithm>
#include <cmath>
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

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
    if (!continuous || !fastArc(a, n)) {
        for (long long i = 0; i < n; ++i) {
            if (!continuous) canvas_.Refresh();
            exactPoint(a, i);
        }
    }
    if (!continuous) canvas_.Refresh();
    arcPoint(plane, c1, c2, s.r, clockwise ? s.from : s.to, linearEnd);
}

namespace {

// f = k0 + kc*cos(theta) + ks*sin(theta) + ki*i for point i at angle theta.
struct ArcForm {
    double k0 = 0, kc = 0, ks = 0, ki = 0;
};

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

// Nearest integer, ties to even, for |v| < 2^51 (the default rounding mode
// does the work: adding 1.5 * 2^52 leaves no fraction bits).
inline double nearestInt(double v) {
    constexpr double kShift = 6755399441055744.0;
    return (v + kShift) - kShift;
}

// Points of an arc evaluated in blocks of kBlock from the cosine and sine at
// the block's first point: f(b + k) = L[k] + ki*b + cos(b)*P[k] + sin(b)*Q[k].
constexpr int kBlock = 16;
// The block's cosine and sine are turned on by a block's angle, and taken
// afresh from the library every kResyncBlocks blocks.
constexpr int kResyncBlocks = 16;

struct FormTable {
    double L[kBlock], P[kBlock], Q[kBlock], ki = 0;  // the arrays are set by Build
    void Build(const ArcForm& f, const double* C, const double* S) {
        for (int k = 0; k < kBlock; ++k) {
            L[k] = f.k0 + f.ki * k;
            P[k] = f.kc * C[k] + f.ks * S[k];
            Q[k] = f.ks * C[k] - f.kc * S[k];
        }
        ki = f.ki;
    }
    double At(int k, double cb, double sb, double base) const { return L[k] + base + cb * P[k] + sb * Q[k]; }
};

// Whole blocks at a time: the vertical and horizontal pixel values of a
// block's points in vectors, their nearest pixels, whether every one of them
// is certain, and which of them move the pen.
struct BlockRun {
    FormTable v, h;  // vertical and horizontal pixel values, built in place
    double limV = 0, limH = 0, C = 1, S = 0;  // C, S: cosine and sine of a block's turn
    // The same per point as differences from the block's first point, in
    // float: they are a few pixels, so float keeps them to a millionth of a
    // pixel. The limits allow for that too.
    alignas(32) float dLv[kBlock], dPv[kBlock], dQv[kBlock], dLh[kBlock], dPh[kBlock], dQh[kBlock];
    float flimV = 0, flimH = 0;
    // Once v and h are built. `hStep` the step's angle, `rv` and `rh` bounds
    // on the arc's radius seen on each axis (the turning part moves a point
    // at most r*h a step).
    void Take(double lv, double lh, double c, double s, double hStep, double rv, double rh) {
        for (int k = 0; k < kBlock; ++k) {
            dLv[k] = static_cast<float>(v.L[k] - v.L[0]), dPv[k] = static_cast<float>(v.P[k] - v.P[0]);
            dQv[k] = static_cast<float>(v.Q[k] - v.Q[0]);
            dLh[k] = static_cast<float>(h.L[k] - h.L[0]), dPh[k] = static_cast<float>(h.P[k] - h.P[0]);
            dQh[k] = static_cast<float>(h.Q[k] - h.Q[0]);
        }
        // What the float sums hold at most: the fraction of the first point,
        // the linear part and the two turning parts over a block's steps
        // (doubled, for the float roundings of the parts themselves).
        const double steps = kBlock - 1, turn = 2.0 * std::fabs(hStep) * steps;
        const double mv = 0.5 + 2.0 * std::fabs(v.ki) * steps + 2.0 * rv * turn;
        const double mh = 0.5 + 2.0 * std::fabs(h.ki) * steps + 2.0 * rh * turn;
        limV = lv, limH = lh, C = c, S = s;
        // Each of the dozen roundings of a float sum is at most 2^-24 of the
        // largest magnitude in it; the limits' own rounding to float is
        // within the last term.
        flimV = static_cast<float>(lv - 16.0 * mv * 0x1p-24 - 1.0e-6);
        flimH = static_cast<float>(lh - 16.0 * mh * 0x1p-24 - 1.0e-6);
    }
};

// Every kernel runs up to `blocks` blocks from point `b` of `n`, from the
// pen's pixel (ph, pv) and the block's cosine and sine (cb, sb), appending
// the pixels the pen moves to (writing up to a block past them). It stops
// before the first block holding a point that is not certain and returns the
// blocks done; cb, sb, ph, pv are left for the next block.
using RunBlocks = int (*)(const BlockRun&, long long b, int blocks, long long n, double& cb, double& sb,
                          double& ph, double& pv, Pixel* moves, int& count);

// Portable: four-wide double vectors (two instructions each where the
// machine has only 128-bit registers), whole blocks only.
// (Only inlined helpers pass these by value: no calling convention is involved.)
#pragma GCC diagnostic ignored "-Wpsabi"
typedef double Vec4 __attribute__((vector_size(32)));
typedef long long Mask4 __attribute__((vector_size(32)));
typedef int Int4 __attribute__((vector_size(16)));
constexpr int kQuads = kBlock / 4;

inline Vec4 load4(const double* p) {
    Vec4 v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}
inline Vec4 splat(double x) { return Vec4{x, x, x, x}; }

int runBlocksPortable(const BlockRun& t, long long b, int blocks, long long n, double& cbOut, double& sbOut,
                      double& phOut, double& pvOut, Pixel* moves, int& countOut) {
    // Locals, so that the stores of the moves cannot be taken to change them.
    double cb = cbOut, sb = sbOut, ph = phOut, pv = pvOut;
    int count = countOut;
    const Vec4 shift = splat(6755399441055744.0);
    int done = 0;
    for (; done < blocks && b + kBlock <= n; ++done, b += kBlock) {
        const double bd = static_cast<double>(b);
        const Vec4 c = splat(cb), s = splat(sb), baseV = splat(t.v.ki * bd), baseH = splat(t.h.ki * bd);
        Vec4 nv[kQuads], nh[kQuads];
        Mask4 sure = {-1, -1, -1, -1};
        for (int q = 0; q < kQuads; ++q) {
            const Vec4 v = load4(t.v.L + 4 * q) + baseV + c * load4(t.v.P + 4 * q) + s * load4(t.v.Q + 4 * q);
            const Vec4 h = load4(t.h.L + 4 * q) + baseH + c * load4(t.h.P + 4 * q) + s * load4(t.h.Q + 4 * q);
            nv[q] = (v + shift) - shift, nh[q] = (h + shift) - shift;
            // |d| < limit, the sign bit cleared in place of a branch.
            const Vec4 dv = (Vec4)((Mask4)(v - nv[q]) & 0x7FFFFFFFFFFFFFFFLL);
            const Vec4 dh = (Vec4)((Mask4)(h - nh[q]) & 0x7FFFFFFFFFFFFFFFLL);
            sure &= (dv < splat(t.limV)) & (dh < splat(t.limH));
        }
        if (!(sure[0] & sure[1] & sure[2] & sure[3])) break;
        // Every point is written and the count moves on past those that move
        // the pen: no branch on how many there are.
        for (int q = 0; q < kQuads; ++q) {
            const Int4 x = __builtin_convertvector(nh[q], Int4), y = __builtin_convertvector(nv[q], Int4);
            for (int k = 0; k < 4; ++k) {
                const double hk = nh[q][k], vk = nv[q][k];
                moves[count] = Pixel{x[k], y[k]};
                count += (hk != ph) | (vk != pv);
                ph = hk, pv = vk;
            }
        }
        const double nc = cb * t.C - sb * t.S;
        sb = sb * t.C + cb * t.S;
        cb = nc;
    }
    cbOut = cb, sbOut = sb, phOut = ph, pvOut = pv, countOut = count;
    return done;
}

#if defined(__x86_64__) && defined(__GNUC__)
// Lane indices that pack the lanes set in a mask to the front.
struct PackTable {
    alignas(32) int idx[256][8];
    constexpr PackTable() : idx{} {
        for (int m = 0; m < 256; ++m) {
            int n = 0;
            for (int k = 0; k < 8; ++k)
                if (m >> k & 1) idx[m][n++] = k;
            for (; n < 8; ++n) idx[m][n] = 7;
        }
    }
};
constexpr PackTable kPack;

// Lanes whose value x (and y) lies within the limit of its nearest whole nx (ny).
[[gnu::target("avx2,fma")]] inline unsigned sureLanes(__m256 x, __m256 nx, __m256 y, __m256 ny, __m256 limX,
                                                      __m256 limY) {
    const __m256 absMask = _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF));
    const __m256 a = _mm256_cmp_ps(_mm256_and_ps(_mm256_sub_ps(x, nx), absMask), limX, _CMP_LT_OQ);
    const __m256 d = _mm256_cmp_ps(_mm256_and_ps(_mm256_sub_ps(y, ny), absMask), limY, _CMP_LT_OQ);
    return static_cast<unsigned>(_mm256_movemask_ps(_mm256_and_ps(a, d)));
}

// Lanes whose pixel (h, v) differs from the lane before; lane 0 is compared
// with (ph, pv).
[[gnu::target("avx2,fma")]] inline unsigned movedLanes(__m256i h, __m256i v, int ph, int pv) {
    const __m256i before = _mm256_setr_epi32(7, 0, 1, 2, 3, 4, 5, 6);
    const __m256i prevH = _mm256_blend_epi32(_mm256_permutevar8x32_epi32(h, before), _mm256_set1_epi32(ph), 1);
    const __m256i prevV = _mm256_blend_epi32(_mm256_permutevar8x32_epi32(v, before), _mm256_set1_epi32(pv), 1);
    const __m256i same = _mm256_and_si256(_mm256_cmpeq_epi32(h, prevH), _mm256_cmpeq_epi32(v, prevV));
    return static_cast<unsigned>(~_mm256_movemask_ps(_mm256_castsi256_ps(same)) & 0xFF);
}

// Writes the pixels of the lanes in m to out, in order (and eight pixels in
// all); returns how many count.
[[gnu::target("avx2,fma")]] inline int packMoves(__m256i h, __m256i v, unsigned m, Pixel* out) {
    const __m256i idx = _mm256_load_si256(reinterpret_cast<const __m256i*>(kPack.idx[m]));
    const __m256i px = _mm256_permutevar8x32_epi32(h, idx), py = _mm256_permutevar8x32_epi32(v, idx);
    const __m256i lo = _mm256_unpacklo_epi32(px, py), hi = _mm256_unpackhi_epi32(px, py);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permute2x128_si256(lo, hi, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4), _mm256_permute2x128_si256(lo, hi, 0x31));
    return __builtin_popcount(m);
}

// The sixteen points of a block in two float vectors per axis, measured from
// the whole pixel nearest the block's first point (computed in double), and the
// pen's moves packed with a table instead of one store per point. A last
// block short of points is done with the missing lanes left out.
[[gnu::target("avx2,fma")]] int runBlocksAvx2(const BlockRun& t, long long b, int blocks, long long n,
                                               double& cbOut, double& sbOut, double& phOut, double& pvOut,
                                               Pixel* moves, int& countOut) {
    static_assert(kBlock == 16 && sizeof(Pixel) == 8);
    double cb = cbOut, sb = sbOut;
    int count = countOut;
    const __m256 dLv0 = _mm256_load_ps(t.dLv), dPv0 = _mm256_load_ps(t.dPv), dQv0 = _mm256_load_ps(t.dQv);
    const __m256 dLh0 = _mm256_load_ps(t.dLh), dPh0 = _mm256_load_ps(t.dPh), dQh0 = _mm256_load_ps(t.dQh);
    const __m256 dLv1 = _mm256_load_ps(t.dLv + 8), dPv1 = _mm256_load_ps(t.dPv + 8), dQv1 = _mm256_load_ps(t.dQv + 8);
    const __m256 dLh1 = _mm256_load_ps(t.dLh + 8), dPh1 = _mm256_load_ps(t.dPh + 8), dQh1 = _mm256_load_ps(t.dQh + 8);
    const __m256 shift = _mm256_set1_ps(12582912.0f);  // 1.5 * 2^23: adding it leaves no fraction bits
    const __m256 limV = _mm256_set1_ps(t.flimV), limH = _mm256_set1_ps(t.flimH);
    int penH = static_cast<int>(phOut), penV = static_cast<int>(pvOut);
    int done = 0;
    for (; done < blocks && b < n; ++done, b += kBlock) {
        const int valid = n - b < kBlock ? static_cast<int>(n - b) : kBlock;
        const unsigned all = (1u << valid) - 1;
        const double bd = static_cast<double>(b);
        const double v0 = t.v.At(0, cb, sb, t.v.ki * bd);
        const double h0 = t.h.At(0, cb, sb, t.h.ki * bd);
        const double ov = nearestInt(v0), oh = nearestInt(h0);
        const __m256 c = _mm256_set1_ps(static_cast<float>(cb)), s = _mm256_set1_ps(static_cast<float>(sb));
        const __m256 fv = _mm256_set1_ps(static_cast<float>(v0 - ov)), fh = _mm256_set1_ps(static_cast<float>(h0 - oh));
        const __m256 v_0 = _mm256_fmadd_ps(s, dQv0, _mm256_fmadd_ps(c, dPv0, _mm256_add_ps(fv, dLv0)));
        const __m256 v_1 = _mm256_fmadd_ps(s, dQv1, _mm256_fmadd_ps(c, dPv1, _mm256_add_ps(fv, dLv1)));
        const __m256 h_0 = _mm256_fmadd_ps(s, dQh0, _mm256_fmadd_ps(c, dPh0, _mm256_add_ps(fh, dLh0)));
        const __m256 h_1 = _mm256_fmadd_ps(s, dQh1, _mm256_fmadd_ps(c, dPh1, _mm256_add_ps(fh, dLh1)));
        const __m256 nv0 = _mm256_sub_ps(_mm256_add_ps(v_0, shift), shift);
        const __m256 nv1 = _mm256_sub_ps(_mm256_add_ps(v_1, shift), shift);
        const __m256 nh0 = _mm256_sub_ps(_mm256_add_ps(h_0, shift), shift);
        const __m256 nh1 = _mm256_sub_ps(_mm256_add_ps(h_1, shift), shift);
        const unsigned sure = sureLanes(v_0, nv0, h_0, nh0, limV, limH) | sureLanes(v_1, nv1, h_1, nh1, limV, limH) << 8;
        if ((sure & all) != all) break;
        const __m256i ov8 = _mm256_set1_epi32(static_cast<int>(ov)), oh8 = _mm256_set1_epi32(static_cast<int>(oh));
        const __m256i iv0 = _mm256_add_epi32(_mm256_cvtps_epi32(nv0), ov8), iv1 = _mm256_add_epi32(_mm256_cvtps_epi32(nv1), ov8);
        const __m256i ih0 = _mm256_add_epi32(_mm256_cvtps_epi32(nh0), oh8), ih1 = _mm256_add_epi32(_mm256_cvtps_epi32(nh1), oh8);
        // Each point against the one before it, the first against the pen.
        const unsigned m0 = movedLanes(ih0, iv0, penH, penV) & all;
        const unsigned m1 = movedLanes(ih1, iv1, _mm256_extract_epi32(ih0, 7), _mm256_extract_epi32(iv0, 7)) & (all >> 8);
        count += packMoves(ih0, iv0, m0, moves + count);
        count += packMoves(ih1, iv1, m1, moves + count);
        // The pen ends on the block's last point.
        alignas(32) int lastH[16], lastV[16];
        _mm256_store_si256(reinterpret_cast<__m256i*>(lastH), ih0);
        _mm256_store_si256(reinterpret_cast<__m256i*>(lastH + 8), ih1);
        _mm256_store_si256(reinterpret_cast<__m256i*>(lastV), iv0);
        _mm256_store_si256(reinterpret_cast<__m256i*>(lastV + 8), iv1);
        penH = lastH[valid - 1], penV = lastV[valid - 1];
        const double nc = cb * t.C - sb * t.S;
        sb = sb * t.C + cb * t.S;
        cb = nc;
    }
    cbOut = cb, sbOut = sb, countOut = count;
    phOut = penH, pvOut = penV;
    return done;
}
#endif

#if defined(__x86_64__) && defined(__GNUC__)
// (The compiler's own AVX-512 headers trip its uninitialised-value warning.)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
// As the AVX2 kernel with one sixteen-wide vector per axis: the masks come
// from the comparisons themselves and the moves are packed by the machine.
[[gnu::target("avx512f,avx512vl,avx512dq,avx512bw,fma")]] int runBlocksAvx512(
    const BlockRun& t, long long b, int blocks, long long n, double& cbOut, double& sbOut, double& phOut,
    double& pvOut, Pixel* moves, int& countOut) {
    static_assert(kBlock == 16 && sizeof(Pixel) == 8);
    double cb = cbOut, sb = sbOut;
    int count = countOut;
    const __m512 dLv = _mm512_loadu_ps(t.dLv), dPv = _mm512_loadu_ps(t.dPv), dQv = _mm512_loadu_ps(t.dQv);
    const __m512 dLh = _mm512_loadu_ps(t.dLh), dPh = _mm512_loadu_ps(t.dPh), dQh = _mm512_loadu_ps(t.dQh);
    const __m512 shift = _mm512_set1_ps(12582912.0f);  // 1.5 * 2^23: adding it leaves no fraction bits
    const __m512 limV = _mm512_set1_ps(t.flimV), limH = _mm512_set1_ps(t.flimH);
    __m512i penH = _mm512_set1_epi32(static_cast<int>(phOut)), penV = _mm512_set1_epi32(static_cast<int>(pvOut));
    int done = 0;
    for (; done < blocks && b < n; ++done, b += kBlock) {
        const int valid = n - b < kBlock ? static_cast<int>(n - b) : kBlock;
        const __mmask16 all = static_cast<__mmask16>((1u << valid) - 1);
        const double bd = static_cast<double>(b);
        const double v0 = t.v.At(0, cb, sb, t.v.ki * bd);
        const double h0 = t.h.At(0, cb, sb, t.h.ki * bd);
        const double ov = nearestInt(v0), oh = nearestInt(h0);
        const __m512 c = _mm512_set1_ps(static_cast<float>(cb)), s = _mm512_set1_ps(static_cast<float>(sb));
        const __m512 v = _mm512_fmadd_ps(s, dQv, _mm512_fmadd_ps(c, dPv, _mm512_add_ps(_mm512_set1_ps(static_cast<float>(v0 - ov)), dLv)));
        const __m512 h = _mm512_fmadd_ps(s, dQh, _mm512_fmadd_ps(c, dPh, _mm512_add_ps(_mm512_set1_ps(static_cast<float>(h0 - oh)), dLh)));
        const __m512 nv = _mm512_sub_ps(_mm512_add_ps(v, shift), shift);
        const __m512 nh = _mm512_sub_ps(_mm512_add_ps(h, shift), shift);
        const __mmask16 sure = _mm512_cmp_ps_mask(_mm512_abs_ps(_mm512_sub_ps(v, nv)), limV, _CMP_LT_OQ) &
                               _mm512_cmp_ps_mask(_mm512_abs_ps(_mm512_sub_ps(h, nh)), limH, _CMP_LT_OQ);
        if ((sure & all) != all) break;
        const __m512i ih = _mm512_add_epi32(_mm512_cvtps_epi32(nh), _mm512_set1_epi32(static_cast<int>(oh)));
        const __m512i iv = _mm512_add_epi32(_mm512_cvtps_epi32(nv), _mm512_set1_epi32(static_cast<int>(ov)));
        // Each point against the one before it, the first against the pen.
        const __m512i prevH = _mm512_alignr_epi32(ih, penH, 15), prevV = _mm512_alignr_epi32(iv, penV, 15);
        const unsigned moved = static_cast<unsigned>(
            (_mm512_cmpneq_epi32_mask(ih, prevH) | _mm512_cmpneq_epi32_mask(iv, prevV)) & all);
        // Pixels as (x, y) pairs, eight to a vector, the moving ones packed to the front.
        const __m512i p0 = _mm512_or_si512(_mm512_cvtepu32_epi64(_mm512_castsi512_si256(ih)),
                                           _mm512_slli_epi64(_mm512_cvtepu32_epi64(_mm512_castsi512_si256(iv)), 32));
        const __m512i p1 = _mm512_or_si512(_mm512_cvtepu32_epi64(_mm512_extracti64x4_epi64(ih, 1)),
                                           _mm512_slli_epi64(_mm512_cvtepu32_epi64(_mm512_extracti64x4_epi64(iv, 1)), 32));
        _mm512_storeu_si512(moves + count, _mm512_maskz_compress_epi64(static_cast<__mmask8>(moved), p0));
        count += __builtin_popcount(moved & 0xFF);
        _mm512_storeu_si512(moves + count, _mm512_maskz_compress_epi64(static_cast<__mmask8>(moved >> 8), p1));
        count += __builtin_popcount(moved >> 8);
        // The pen ends on the block's last point (in every lane).
        const __m512i last = _mm512_set1_epi32(valid - 1);
        penH = _mm512_permutexvar_epi32(last, ih), penV = _mm512_permutexvar_epi32(last, iv);
        const double nc = cb * t.C - sb * t.S;
        sb = sb * t.C + cb * t.S;
        cb = nc;
    }
    cbOut = cb, sbOut = sb, countOut = count;
    phOut = _mm_cvtsi128_si32(_mm512_castsi512_si128(penH));
    pvOut = _mm_cvtsi128_si32(_mm512_castsi512_si128(penV));
    return done;
}
#endif

RunBlocks kernelFor(ArcKernel k) {
#if defined(__x86_64__) && defined(__GNUC__)
    __builtin_cpu_init();
    const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    const bool avx512 = avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
                        __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw");
    switch (k) {
        case ArcKernel::Best: return avx512 ? runBlocksAvx512 : avx2 ? runBlocksAvx2 : runBlocksPortable;
        case ArcKernel::Avx512: return avx512 ? runBlocksAvx512 : nullptr;
        case ArcKernel::Avx2: return avx2 ? runBlocksAvx2 : nullptr;
        case ArcKernel::Baseline: return runBlocksPortable;
    }
#endif
    return k == ArcKernel::Best || k == ArcKernel::Baseline ? runBlocksPortable : nullptr;
}
RunBlocks runBlocks = kernelFor(ArcKernel::Best);

}  // namespace

bool UseArcKernel(ArcKernel k) {
    const RunBlocks kernel = kernelFor(k);
    if (!kernel) return false;
    runBlocks = kernel;
    return true;
}

namespace {


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
                const int done = runBlocks(run, b, static_cast<int>(want), n, cb, sb, ph, pv, moves, count);
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
