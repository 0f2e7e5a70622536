// SPLINE geometry for the DXF import: a NURBS curve evaluated by de Boor,
// the cubic a SPLINE given by fit points alone stands for, and the curve
// written as circular arcs and straight pieces within a tolerance.
//
// Everything is in drawing coordinates (a block's placement already applied
// to the control points: a NURBS curve placed by an affine map is the curve
// of its placed control points).
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace tolva {

struct SplinePoint {
    double x = 0, y = 0, z = 0;
};

struct Nurbs {
    int degree = 3;
    std::vector<SplinePoint> controls;
    std::vector<double> weights;  // one per control point, or empty (all 1)
    std::vector<double> knots;    // controls + degree + 1, never decreasing

    // The parameter range [knots[degree], knots[controls]].
    double First() const { return knots[static_cast<std::size_t>(degree)]; }
    double Last() const { return knots[controls.size()]; }
    SplinePoint At(double t) const;
};

// Clamped uniform knots for `count` control points of `degree`: the knots a
// SPLINE gets when its own are missing or miscounted.
std::vector<double> ClampedUniformKnots(std::size_t count, int degree);

// The cubic through `fit` points as a CAD program builds a SPLINE defined by
// fit points: parameters by chord length, the fit points' inner parameters
// as knots, and the end tangents' directions given (or, when not given,
// estimated from the first and last five points by Akima's rule) with the
// length of the fit polygon as their magnitude. Coincident neighbours count
// once. Two points without tangents give the straight piece between them.
// Nothing when fewer than two distinct points remain or the equations have
// no solution.
std::optional<Nurbs> CubicThroughFitPoints(std::vector<SplinePoint> fit, const SplinePoint* startTangent,
                                           const SplinePoint* endTangent);

// One piece of a fitted curve, from the previous piece's end (the curve's
// start for the first) to `end`. `bulge` is 0 for a straight piece, else the
// tangent of a quarter of the arc's turn: positive counter-clockwise in the
// drawing's X-Y plane.
struct CurvePiece {
    SplinePoint end;
    double bulge = 0;
};

// The curve from First() to Last() as pieces each within `tolerance` of it
// (arcs only when `arcs`: a planar curve whose circles stay circles on the
// machine), with no piece turning more than half a turn. With `closed` the
// last piece ends exactly on the first point (by a closing straight piece
// when the curve ends farther than `tolerance` from it). At most
// `mostPieces` pieces.
std::vector<CurvePiece> FitArcsAndLines(const Nurbs& curve, double tolerance, bool arcs, bool closed,
                                        std::size_t mostPieces);

}  // namespace tolva
