// The arc-and-line fit of NURBS curves, over generated curves: every piece
// lies within the tolerance of the curve along its whole length, every point
// of the curve within the tolerance of a piece, no arc turns more than half
// a turn, and a closed curve ends exactly on its first point. (The curve
// itself, and the cubic through fit points, are judged against ezdxf by
// block_spline_oracle.py.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>

#include "dxf/spline_fit.h"

namespace tolva {
namespace {

// Points along a piece from a to b with `bulge` (the DXF bulge: tan of a
// quarter of the turn, positive counter-clockwise):
// `step` or so along a straight piece; along an arc, close enough that its
// chords stray no more than `slack` from it.
std::vector<SplinePoint> PieceSamples(const SplinePoint& a, const SplinePoint& b, double bulge, double step,
                                      double slack) {
    std::vector<SplinePoint> out;
    const double chord = std::hypot(b.x - a.x, b.y - a.y);
    if (bulge == 0 || chord == 0) {
        const int n = std::max(2, static_cast<int>(chord / step));
        for (int i = 0; i <= n; ++i) out.push_back({a.x + (b.x - a.x) * i / n, a.y + (b.y - a.y) * i / n, 0});
        return out;
    }
    const double turn = 4 * std::atan(bulge);  // signed
    const double r = chord / (2 * std::sin(std::fabs(turn) / 2));
    // The centre lies off the chord's middle, to the left for a
    // counter-clockwise arc of less than half a turn.
    const double mx = (a.x + b.x) / 2, my = (a.y + b.y) / 2;
    const double h = r * std::cos(turn / 2) * (bulge > 0 ? 1 : -1);
    const double nx = -(b.y - a.y) / chord, ny = (b.x - a.x) / chord;
    const double cx = mx + h * nx, cy = my + h * ny;
    const double start = std::atan2(a.y - cy, a.x - cx);
    const double angle = slack < r ? 2 * std::acos(1 - slack / r) : 1.0;
    const int n = std::max(4, static_cast<int>(std::fabs(turn) / angle) + 1);
    for (int i = 0; i <= n; ++i)
        out.push_back({cx + r * std::cos(start + turn * i / n), cy + r * std::sin(start + turn * i / n), 0});
    return out;
}

// Distances to a chain of points, through a grid of cells.
class Chain {
public:
    Chain(std::vector<SplinePoint> points, double cell) : p_(std::move(points)), cell_(cell) {
        for (std::size_t i = 0; i + 1 < p_.size(); ++i) {
            const long xa = key(p_[i].x), xb = key(p_[i + 1].x), ya = key(p_[i].y), yb = key(p_[i + 1].y);
            for (long x = std::min(xa, xb); x <= std::max(xa, xb); ++x)
                for (long y = std::min(ya, yb); y <= std::max(ya, yb); ++y) grid_[{x, y}].push_back(i);
        }
    }
    // Nearest distance, or infinity beyond one cell.
    double To(const SplinePoint& q) const {
        double best = INFINITY;
        for (long x = key(q.x) - 1; x <= key(q.x) + 1; ++x)
            for (long y = key(q.y) - 1; y <= key(q.y) + 1; ++y) {
                const auto it = grid_.find({x, y});
                if (it == grid_.end()) continue;
                for (std::size_t i : it->second) {
                    const SplinePoint &a = p_[i], &b = p_[i + 1];
                    const double ex = b.x - a.x, ey = b.y - a.y, l2 = ex * ex + ey * ey;
                    const double t = l2 > 0 ? std::clamp(((q.x - a.x) * ex + (q.y - a.y) * ey) / l2, 0.0, 1.0) : 0;
                    best = std::min(best, std::hypot(q.x - a.x - t * ex, q.y - a.y - t * ey));
                }
            }
        return best;
    }

private:
    long key(double v) const { return static_cast<long>(std::floor(v / cell_)); }
    std::vector<SplinePoint> p_;
    double cell_;
    std::map<std::pair<long, long>, std::vector<std::size_t>> grid_;
};

TEST(SplineFit, ArcsAndLinesStayWithinTheToleranceOfGeneratedCurves) {
    std::mt19937 rng(28);
    std::uniform_real_distribution<double> coord(0, 100), weight(0.3, 3), unit(0, 1);
    int arcsWritten = 0;
    for (int round = 0; round < 120; ++round) {
        Nurbs c;
        c.degree = 1 + round % 5;
        const std::size_t n = static_cast<std::size_t>(c.degree) + 1 + round % 9;
        for (std::size_t i = 0; i < n; ++i) c.controls.push_back({coord(rng), coord(rng), 0});
        const bool closed = round % 4 == 0;
        if (closed) c.controls.back() = c.controls.front();
        if (round % 3 == 0)
            for (std::size_t i = 0; i < n; ++i) c.weights.push_back(weight(rng));
        // Clamped knots, the inner ones spaced at random and now and then
        // doubled (a corner where the degree allows).
        c.knots.assign(static_cast<std::size_t>(c.degree) + 1, 0.0);
        double k = 0;
        while (c.knots.size() < n) {
            k += 0.2 + unit(rng);
            c.knots.push_back(k);
            if (round % 7 == 0 && c.degree > 1 && c.knots.size() < n) c.knots.push_back(k);
        }
        c.knots.insert(c.knots.end(), static_cast<std::size_t>(c.degree) + 1, k + 1);
        const double tol = round % 3 == 0 ? 0.001 : round % 3 == 1 ? 0.01 : 0.1;
        const bool arcs = round % 10 != 9;

        const std::vector<CurvePiece> pieces = FitArcsAndLines(c, tol, arcs, closed, 1000000);
        ASSERT_FALSE(pieces.empty()) << round;
        const SplinePoint first = c.At(c.First());
        if (closed) {
            EXPECT_EQ(pieces.back().end.x, first.x) << round;
            EXPECT_EQ(pieces.back().end.y, first.y) << round;
        }
        std::vector<SplinePoint> curve;
        const int samples = 100000;
        std::vector<double> at(c.knots.begin() + c.degree, c.knots.end() - c.degree);  // corners lie on knots
        for (int i = 0; i <= samples; ++i) at.push_back(c.First() + (c.Last() - c.First()) * i / samples);
        std::sort(at.begin(), at.end());
        for (double t : at) curve.push_back(c.At(t));
        // The curve's polyline strays from the curve by far less than tol.
        const double slack = tol * 0.05;
        const Chain onCurve(curve, 0.25);
        std::vector<SplinePoint> written;
        SplinePoint from = first;
        for (const CurvePiece& p : pieces) {
            EXPECT_LE(std::fabs(p.bulge), 1.0 + 1e-9) << round;
            if (!arcs) {
                EXPECT_EQ(p.bulge, 0) << round;
            }
            arcsWritten += p.bulge != 0;
            const std::vector<SplinePoint> along = PieceSamples(from, p.end, p.bulge, 0.05, slack);
            written.insert(written.end(), along.begin(), along.end());
            from = p.end;
        }
        for (const SplinePoint& q : written) {
            const double d = onCurve.To(q);
            ASSERT_LE(d, tol + slack) << "round " << round << ": a piece passes (" << q.x << ", " << q.y << ") "
                                      << d << " from the curve";
        }
        const Chain onPieces(written, 0.25);
        for (std::size_t i = 0; i < curve.size(); i += 4) {
            const SplinePoint& q = curve[i];
            const double d = onPieces.To(q);
            ASSERT_LE(d, tol + slack) << "round " << round << ": the curve's point (" << q.x << ", " << q.y
                                      << ") is " << d << " from every piece";
        }
    }
    EXPECT_GT(arcsWritten, 100);
}

}  // namespace
}  // namespace tolva
