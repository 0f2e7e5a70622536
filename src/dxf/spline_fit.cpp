#include "dxf/spline_fit.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tolva {

namespace {

constexpr double kPi = 3.14159265358979323846;

double Distance(const SplinePoint& a, const SplinePoint& b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

SplinePoint Minus(const SplinePoint& a, const SplinePoint& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
SplinePoint Times(double f, const SplinePoint& a) { return {f * a.x, f * a.y, f * a.z}; }
SplinePoint Plus(const SplinePoint& a, const SplinePoint& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
double Length(const SplinePoint& a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }
double CrossLength(const SplinePoint& a, const SplinePoint& b) {
    return Length({a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x});
}

// The span k (knots[k] <= t < knots[k + 1], a span of non-zero length) of
// t within the parameter range.
std::size_t SpanOf(const std::vector<double>& u, std::size_t n, int p, double t) {
    const auto first = u.begin() + p, last = u.begin() + static_cast<std::ptrdiff_t>(n);
    std::size_t k = static_cast<std::size_t>(std::upper_bound(first, last, t) - u.begin());
    k = k > static_cast<std::size_t>(p) ? k - 1 : static_cast<std::size_t>(p);
    while (k > static_cast<std::size_t>(p) && !(u[k] < u[k + 1])) --k;
    return k;
}

// The degree + 1 basis functions not zero at t (in span k), first to last.
std::vector<double> BasisAt(const std::vector<double>& u, std::size_t k, int p, double t) {
    std::vector<double> N(p + 1, 0.0), left(p + 1), right(p + 1);
    N[0] = 1;
    for (int j = 1; j <= p; ++j) {
        left[j] = t - u[k + 1 - j];
        right[j] = u[k + j] - t;
        double saved = 0;
        for (int r = 0; r < j; ++r) {
            const double den = right[r + 1] + left[j - r];
            const double f = den != 0 ? N[r] / den : 0;
            N[r] = saved + right[r + 1] * f;
            saved = left[j - r] * f;
        }
        N[j] = saved;
    }
    return N;
}

// The tangent direction at the first point of `q` (differences of
// neighbouring points, extended by two at each end) by Akima's rule.
SplinePoint AkimaTangent(const SplinePoint& qm2, const SplinePoint& qm1, const SplinePoint& q0,
                         const SplinePoint& q1) {
    const double v1 = CrossLength(qm2, qm1), v2 = CrossLength(q0, q1);
    const double alpha = v1 + v2 > 0 ? v1 / (v1 + v2) : 0.5;
    return Plus(Times(1 - alpha, qm1), Times(alpha, q0));
}

// A piece of the curve tried as one straight piece or arc.
struct Trial {
    bool ok = false;
    double bulge = 0;
};

// Whether the curve through a and `along` (its judged points, in order)
// strays from a piece of curvature k between its judged points by no more
// than `slack` beyond what it does at them: the gap between the two, as a
// function along the curve, bends by the difference of the curvatures, so
// between points d apart it grows by up to d^2 / 8 times that difference.
bool DenseEnough(const SplinePoint& a, const std::vector<SplinePoint>& along, double k, double slack) {
    const SplinePoint* p0 = &a;
    for (std::size_t i = 0; i + 1 < along.size(); ++i) {
        const SplinePoint &p1 = along[i], &p2 = along[i + 1];
        const double d1 = std::hypot(p1.x - p0->x, p1.y - p0->y), d2 = std::hypot(p2.x - p1.x, p2.y - p1.y);
        const double d3 = std::hypot(p2.x - p0->x, p2.y - p0->y);
        const double cross = std::fabs((p1.x - p0->x) * (p2.y - p1.y) - (p1.y - p0->y) * (p2.x - p1.x));
        const double curvature = d1 > 0 && d2 > 0 && d3 > 0 ? 2 * cross / (d1 * d2 * d3) : 0;
        const double d = std::max(d1, d2);
        if (d * d / 8 * std::fabs(curvature - k) > slack) return false;
        p0 = &p1;
    }
    return true;
}

// The straight piece or arc from a through m to b that every point of
// `along` lies within `tol` of, and the curve between them within `slack`
// more: a straight piece when one does.
Trial Fit(const SplinePoint& a, const SplinePoint& m, const SplinePoint& b, const std::vector<SplinePoint>& along,
          double tol, double slack, bool arcs) {
    const double ex = b.x - a.x, ey = b.y - a.y, len2 = ex * ex + ey * ey;
    bool straight = DenseEnough(a, along, 0, slack);
    for (const SplinePoint& q : along) {
        double t = len2 > 0 ? ((q.x - a.x) * ex + (q.y - a.y) * ey) / len2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        if (std::hypot(q.x - a.x - t * ex, q.y - a.y - t * ey) > tol) {
            straight = false;
            break;
        }
    }
    if (straight) return {true, 0};
    if (!arcs || len2 == 0) return {};
    // The circle through a, m and b.
    const double d = 2 * (a.x * (m.y - b.y) + m.x * (b.y - a.y) + b.x * (a.y - m.y));
    if (d == 0) return {};
    const double a2 = a.x * a.x + a.y * a.y, m2 = m.x * m.x + m.y * m.y, b2 = b.x * b.x + b.y * b.y;
    const double cx = (a2 * (m.y - b.y) + m2 * (b.y - a.y) + b2 * (a.y - m.y)) / d;
    const double cy = (a2 * (b.x - m.x) + m2 * (a.x - b.x) + b2 * (m.x - a.x)) / d;
    const double r = std::hypot(a.x - cx, a.y - cy);
    // An arc that rises less than the slack over its chord is a straight
    // piece in all but name (and its far centre is lost to rounding).
    if (!std::isfinite(r) || r <= 0 || len2 / (8 * r) < slack || !DenseEnough(a, along, 1 / r, slack)) return {};
    const bool ccw = (m.x - a.x) * (b.y - m.y) - (m.y - a.y) * (b.x - m.x) > 0;
    const double start = std::atan2(a.y - cy, a.x - cx);
    // The turn from a, counter-clockwise or clockwise as the arc runs, to q.
    auto turnTo = [&](double x, double y) {
        double f = std::atan2(y - cy, x - cx) - start;
        if (!ccw) f = -f;
        f = std::fmod(f, 2 * kPi);
        return f < 0 ? f + 2 * kPi : f;
    };
    const double sweep = turnTo(b.x, b.y);
    if (sweep > kPi * (1 + 1e-9) || sweep <= 0) return {};
    for (const SplinePoint& q : along) {
        const double off = turnTo(q.x, q.y) <= sweep
                               ? std::fabs(std::hypot(q.x - cx, q.y - cy) - r)
                               : std::min(std::hypot(q.x - a.x, q.y - a.y), std::hypot(q.x - b.x, q.y - b.y));
        if (off > tol) return {};
    }
    return {true, (ccw ? 1 : -1) * std::tan(sweep / 4)};
}

}  // namespace

SplinePoint Nurbs::At(double t) const {
    const std::size_t n = controls.size();
    const int p = degree;
    const std::size_t k = SpanOf(knots, n, p, t);
    std::array<double, 4> h[32];  // homogeneous x, y, z, w; degrees up to 31
    for (int j = 0; j <= p; ++j) {
        const std::size_t i = k - p + j;
        const double w = weights.empty() ? 1.0 : weights[i];
        h[j] = {controls[i].x * w, controls[i].y * w, controls[i].z * w, w};
    }
    for (int r = 1; r <= p; ++r)
        for (int j = p; j >= r; --j) {
            const std::size_t i = k - p + j;
            const double span = knots[i + p - r + 1] - knots[i];
            const double a = span > 0 ? (t - knots[i]) / span : 0;
            for (int c = 0; c < 4; ++c) h[j][c] = (1 - a) * h[j - 1][c] + a * h[j][c];
        }
    const double w = h[p][3] != 0 ? h[p][3] : 1;
    return {h[p][0] / w, h[p][1] / w, h[p][2] / w};
}

std::vector<double> ClampedUniformKnots(std::size_t count, int degree) {
    const std::size_t p = static_cast<std::size_t>(degree);
    std::vector<double> u;
    for (std::size_t i = 0; i < count + p + 1; ++i)
        u.push_back(i <= p ? 0.0 : i >= count ? static_cast<double>(count - p) : static_cast<double>(i - p));
    return u;
}

std::optional<Nurbs> CubicThroughFitPoints(std::vector<SplinePoint> fit, const SplinePoint* startTangent,
                                           const SplinePoint* endTangent) {
    std::vector<SplinePoint> q;
    for (const SplinePoint& f : fit)
        if (q.empty() || Distance(q.back(), f) > 1e-12 * (1 + Length(f))) q.push_back(f);
    if (q.size() < 2) return std::nullopt;
    const std::size_t n = q.size() - 1;  // the last fit point's index
    std::vector<double> t(n + 1, 0.0);
    for (std::size_t k = 1; k <= n; ++k) t[k] = t[k - 1] + Distance(q[k - 1], q[k]);
    const double total = t[n];
    for (double& v : t) v /= total;
    t[n] = 1;

    const bool given = startTangent && endTangent && Length(*startTangent) > 0 && Length(*endTangent) > 0;
    if (!given && n < 2) {  // two points and no tangents: the straight piece between them
        Nurbs line;
        line.degree = 1;
        line.controls = q;
        line.knots = {0, 0, 1, 1};
        return line;
    }
    SplinePoint d0, dn;
    if (given) {
        d0 = *startTangent;
        dn = *endTangent;
    } else {
        // Differences q[k] - q[k - 1], extended by two at each end.
        std::vector<SplinePoint> dq(n + 4);  // dq[i + 1] is the difference i (-1 .. n + 2)
        for (std::size_t k = 1; k <= n; ++k) dq[k + 1] = Minus(q[k], q[k - 1]);
        auto D = [&](long i) -> SplinePoint& { return dq[static_cast<std::size_t>(i + 1)]; };
        D(0) = Minus(Times(2, D(1)), D(2));
        D(-1) = Minus(Times(2, D(0)), D(1));
        const long m = static_cast<long>(n);
        D(m + 1) = Minus(Times(2, D(m)), D(m - 1));
        D(m + 2) = Minus(Times(2, D(m + 1)), D(m));
        d0 = AkimaTangent(D(-1), D(0), D(1), D(2));
        dn = AkimaTangent(D(m - 1), D(m), D(m + 1), D(m + 2));
        if (Length(d0) == 0 || Length(dn) == 0) return std::nullopt;
    }
    d0 = Times(total / Length(d0), d0);
    dn = Times(total / Length(dn), dn);

    Nurbs c;
    c.degree = 3;
    c.knots.assign(4, 0.0);
    for (std::size_t k = 1; k < n; ++k) c.knots.push_back(t[k]);
    c.knots.insert(c.knots.end(), 4, 1.0);
    const std::size_t count = n + 3;

    // The equations, rows in the order of the control points: the first fit
    // point, the start derivative, the inner fit points, the end derivative,
    // the last fit point. Each row's entries lie within three of its
    // diagonal, so the band is kept (columns i - 3 .. i + 3 of row i) and
    // solved without pivoting, as a collocation matrix allows.
    std::vector<std::array<double, 7>> A(count);
    std::vector<SplinePoint> rhs(count);
    for (auto& row : A) row.fill(0.0);
    auto set = [&](std::size_t row, std::size_t col, double v) { A[row][col + 3 - row] = v; };
    auto basisRow = [&](std::size_t row, double at) {
        const std::size_t k = SpanOf(c.knots, count, 3, at);
        const std::vector<double> N = BasisAt(c.knots, k, 3, at);
        for (int j = 0; j <= 3; ++j) {
            const std::size_t col = k - 3 + j;
            if (N[j] != 0 && col + 3 >= row && col <= row + 3) set(row, col, N[j]);
        }
    };
    basisRow(0, 0.0);
    rhs[0] = q[0];
    set(1, 0, -1);
    set(1, 1, 1);
    rhs[1] = Times(c.knots[4] / 3, d0);
    for (std::size_t k = 1; k < n; ++k) {
        basisRow(k + 1, t[k]);
        rhs[k + 1] = q[k];
    }
    set(n + 1, n + 1, -1);
    set(n + 1, n + 2, 1);
    rhs[n + 1] = Times((1 - c.knots[n + 2]) / 3, dn);
    basisRow(n + 2, 1.0);
    rhs[n + 2] = q[n];

    auto at = [&](std::size_t row, std::size_t col) -> double& { return A[row][col + 3 - row]; };
    for (std::size_t col = 0; col < count; ++col) {
        const double pivot = at(col, col);
        if (!(std::fabs(pivot) > 1e-300)) return std::nullopt;
        for (std::size_t row = col + 1; row < std::min(count, col + 4); ++row) {
            const double f = at(row, col) / pivot;
            if (f == 0) continue;
            for (std::size_t j = col; j < std::min(count, col + 4); ++j) at(row, j) -= f * at(col, j);
            rhs[row] = Minus(rhs[row], Times(f, rhs[col]));
        }
    }
    c.controls.assign(count, {});
    for (std::size_t i = count; i-- > 0;) {
        SplinePoint s = rhs[i];
        for (std::size_t j = i + 1; j < std::min(count, i + 4); ++j) s = Minus(s, Times(at(i, j), c.controls[j]));
        c.controls[i] = Times(1 / at(i, i), s);
        if (!std::isfinite(c.controls[i].x) || !std::isfinite(c.controls[i].y) || !std::isfinite(c.controls[i].z))
            return std::nullopt;
    }
    return c;
}

std::vector<CurvePiece> FitArcsAndLines(const Nurbs& curve, double tolerance, bool arcs, bool closed,
                                        std::size_t mostPieces) {
    const std::vector<double>& u = curve.knots;
    const std::size_t n = curve.controls.size();
    const int p = curve.degree;
    const double t0 = curve.First(), t1 = curve.Last();
    // Pieces are judged at a fifth less than the tolerance: the curve
    // between the judged points takes a tenth, the written coordinates'
    // rounding the rest.
    const double tol = 0.8 * tolerance, slack = 0.1 * tolerance;

    // First the pieces that fit each on its own, from the polynomial pieces
    // (knot spans) halved until they do; each keeps its judged points.
    struct Base {
        double lo, hi;
        std::vector<SplinePoint> along;  // inner points, then its end
        double bulge;
    };
    constexpr int kInner = 9;
    std::vector<Base> base;
    std::vector<std::pair<double, double>> todo;  // a stack: the last pushed is next
    for (std::size_t k = n; k > static_cast<std::size_t>(p); --k)
        if (u[k] > u[k - 1] && u[k - 1] >= t0 && u[k] <= t1) todo.emplace_back(u[k - 1], u[k]);
    while (!todo.empty() && base.size() < mostPieces) {
        const auto [lo, hi] = todo.back();
        todo.pop_back();
        Base b{lo, hi, {}, 0};
        for (int i = 1; i <= kInner; ++i) b.along.push_back(curve.At(lo + (hi - lo) * i / (kInner + 1)));
        const SplinePoint a = curve.At(lo), e = curve.At(hi);
        const Trial trial = Fit(a, b.along[kInner / 2], e, b.along, tol, slack, arcs);
        if (!trial.ok && hi - lo > (t1 - t0) * 1e-9) {
            const double mid = (lo + hi) / 2;
            todo.emplace_back(mid, hi);
            todo.emplace_back(lo, mid);
            continue;
        }
        b.bulge = trial.bulge;
        b.along.push_back(e);
        base.push_back(std::move(b));
    }

    // Then neighbours joined into one piece for as long as one fits them all.
    constexpr std::size_t kMostJoined = 64;
    std::vector<CurvePiece> out;
    SplinePoint from = curve.At(t0);
    for (std::size_t i = 0; i < base.size();) {
        std::size_t j = i;
        double bulge = base[i].bulge;
        std::vector<SplinePoint> along = base[i].along;
        while (j + 1 < base.size() && j + 1 - i < kMostJoined) {
            std::vector<SplinePoint> more = along;
            more.insert(more.end(), base[j + 1].along.begin(), base[j + 1].along.end());
            const SplinePoint mid = curve.At((base[i].lo + base[j + 1].hi) / 2);
            const Trial trial = Fit(from, mid, more.back(), more, tol, slack, arcs);
            if (!trial.ok) break;
            along = std::move(more);
            bulge = trial.bulge;
            ++j;
        }
        out.push_back({along.back(), bulge});
        from = along.back();
        i = j + 1;
    }
    if (closed && !out.empty()) {
        const SplinePoint start = curve.At(t0);
        if (std::hypot(from.x - start.x, from.y - start.y) <= tolerance && std::fabs(from.z - start.z) <= tolerance)
            out.back().end = start;
        else
            out.push_back({start, 0});
    }
    return out;
}

}  // namespace tolva
