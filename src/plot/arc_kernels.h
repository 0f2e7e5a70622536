// Arc stepping in blocks: the kernels behind the plot's fast arc path.
//
// An arc's points are evaluated kBlock at a time from the cosine and sine at
// the block's first point, their nearest pixels found in vectors, and the
// pixels the pen moves to appended in order. Two kernels do the same work:
// a portable one in the compiler's generic vectors, and one in AVX2 and FMA
// instructions, taken where the machine has them.
//
// The error bound, and why the drawing is exactly the stepping's.
// A kernel decides a point only when the decision is certain: the point's
// computed value v (vertical) and h (horizontal pixel) must lie within
// `limV` and `limH` of their nearest whole pixels, where
//     lim = 0.5 - tol,   tol = (a) + (b),
//   (a) the rounding of the float coordinates the exact stepping would hand
//       to the projection: at most 2^-24 of each coordinate's magnitude,
//       times the view matrix entry that carries it (sum over X, Y, Z);
//   (b) the double arithmetic of the tables, turns and sums: about 1e-13 of
//       the magnitudes involved, bounded by 2^-36 of their sum (a margin of
//       several hundred).
// The vector kernels work in float, on differences from the block's first
// point, which are a few pixels at most: the first point's fraction (0.5),
// the linear part (|ki| per step) and the two turning parts (r * |h| per
// step, r the arc's reach on that axis) over the block's fifteen steps.
// Each of the dozen float roundings of such a sum is at most 2^-24 of its
// largest magnitude m, so the kernels take 16 * m * 2^-24 + 1e-6 more off the
// limits (`BlockRun::Take`). A block in which any point falls outside its
// limits is left to the caller, which decides it point by point and sends
// every uncertain point through the exact stepping. A certain point is on
// the same pixel the stepping gives it, so the drawn segments, extents and
// totals are the stepping's; tests compare the two for every kernel.
#pragma once

#include <cmath>

#include "plot/canvas.h"

namespace tolva {

// Nearest integer, ties to even, for |v| < 2^51 (the default rounding mode
// does the work: adding 1.5 * 2^52 leaves no fraction bits).
inline double nearestInt(double v) {
    constexpr double kShift = 6755399441055744.0;
    return (v + kShift) - kShift;
}

// f = k0 + kc*cos(theta) + ks*sin(theta) + ki*i for point i at angle theta.
struct ArcForm {
    double k0 = 0, kc = 0, ks = 0, ki = 0;
};

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

// The kernel in use (see UseArcKernel).
RunBlocks ArcBlockKernel();

}  // namespace tolva
