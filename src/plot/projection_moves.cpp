// The plot's consumer of the stream of moves: program units to scaled units,
// then the drawing primitives of projection.cpp.
#include <cmath>

#include "plot/projection.h"
#include "text/geometry.h"

namespace tolva {
namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

// The two program axes of a plane, lower first.
void planeAxes(MovePlane p, int& u, int& v) {
    u = p == MovePlane::YZ ? 1 : 0;
    v = p == MovePlane::XY ? 1 : 2;
}

}  // namespace

void Projection::StartMoves() {
    for (double& v : lastProgram_) v = 0.0;
    state_.PrevX = state_.PrevY = state_.PrevZ = 0.0f;
}

float Projection::scaledAt(int a, double v, const PlotAxes& axes) const {
    const float prev = a == 0 ? state_.PrevX : a == 1 ? state_.PrevY : state_.PrevZ;
    if (v == lastProgram_[a]) return prev;
    const float f = static_cast<float>(static_cast<long double>(v) * axes.sign[a] * state_.ViewScale);
    return std::isfinite(f) ? f : prev;
}

void Projection::SkipMove(const Move& move, const PlotAxes& axes) {
    float E[3];
    for (int a = 0; a < 3; ++a) E[a] = scaledAt(a, move.end[axes.shows[a]], axes);
    state_.PrevX = E[0], state_.PrevY = E[1], state_.PrevZ = E[2];
    for (int a = 0; a < 3; ++a) lastProgram_[a] = move.end[axes.shows[a]];
}

bool Projection::dxfEntities() const {
    // The first line is never drawn (LINE3d), so it writes nothing either.
    return state_.DxfExportOn && !state_.DxfLinesOnly && Dxf && state_.CurLine >= 1 &&
           (Settings.WriteBlueLine || canvas_.PenColour() == kRed);
}

void Projection::DrawMove(const Move& move, const PlotAxes& axes, bool continuous) {
    float S[3], E[3];
    double start[3], end[3];
    for (int a = 0; a < 3; ++a) {
        start[a] = move.start[axes.shows[a]];
        end[a] = move.end[axes.shows[a]];
        S[a] = scaledAt(a, start[a], axes);
    }
    // The pen stands at the move's start (a line that moved without drawing
    // left the program position elsewhere).
    state_.PrevX = S[0], state_.PrevY = S[1], state_.PrevZ = S[2];
    for (int a = 0; a < 3; ++a) lastProgram_[a] = start[a];
    for (int a = 0; a < 3; ++a) E[a] = scaledAt(a, end[a], axes);

    const bool chain = state_.DxfExportOn && state_.DxfLinesOnly && Dxf;
    if (chain) BeginDxfMove(E[0], E[1], E[2]);
    if (move.kind == MoveKind::Arc)
        drawArc(move, axes, S, E, continuous);
    else
        drawLine(S, E);
    if (chain) EndDxfMove();

    state_.PrevX = E[0], state_.PrevY = E[1], state_.PrevZ = E[2];
    for (int a = 0; a < 3; ++a) lastProgram_[a] = end[a];
}

void Projection::drawLine(const float* S, const float* E) {
    LINE3d(E[0], E[1], E[2]);
    const long double k = state_.ViewScale;
    if (dxfEntities())
        Dxf->DxfBody(static_cast<float>(S[0] / k), static_cast<float>(S[1] / k), static_cast<float>(S[2] / k),
                     static_cast<float>(E[0] / k), static_cast<float>(E[1] / k), static_cast<float>(E[2] / k));
    const long double dx = static_cast<long double>(E[0]) - S[0];
    const long double dy = static_cast<long double>(E[1]) - S[1];
    const long double dz = static_cast<long double>(E[2]) - S[2];
    const long double length = std::sqrt(dx * dx + dy * dy + dz * dz);
    state_.TotalDist = static_cast<float>(state_.TotalDist + length);
    MovedLength += length;
}

void Projection::drawArc(const Move& move, const PlotAxes& axes, const float* S, const float* E,
                         bool continuous) {
    PlotState& s = state_;
    // The plot axes (axis1 < axis2) that show the move's plane.
    int u, v;
    planeAxes(move.plane, u, v);
    int axis1 = -1, axis2 = -1;
    for (const auto& pair : {std::pair{0, 1}, std::pair{0, 2}, std::pair{1, 2}}) {
        const int p = axes.shows[pair.first], q = axes.shows[pair.second];
        if (axis1 < 0 && ((p == u && q == v) || (p == v && q == u))) axis1 = pair.first, axis2 = pair.second;
    }
    if (axis1 < 0) return;  // no two plot axes show the plane
    const long double k = s.ViewScale;
    // The centre's offsets from the start, scaled like a word, then the centre.
    float offset[3] = {0.0f, 0.0f, 0.0f}, centre[3];
    for (int a : {axis1, axis2})
        offset[a] = static_cast<float>((move.centre[axes.shows[a]] - move.start[axes.shows[a]]) * axes.sign[a] * k);
    for (int a = 0; a < 3; ++a) centre[a] = static_cast<float>(static_cast<long double>(S[a]) + offset[a]);
    s.CentreX = centre[0], s.CentreY = centre[1], s.CentreZ = centre[2];
    const bool drawnCw = axes.DrawnClockwise(move.clockwise, axis1, axis2);

    s.StartAngle = VectorAngle(S[axis1], S[axis2], centre[axis1], centre[axis2]);
    s.EndAngle = VectorAngle(E[axis1], E[axis2], centre[axis1], centre[axis2]);
    s.Radius = Hypot2(offset[axis1], offset[axis2]);
    // A full circle is decided here, once, and carried into the stepping:
    // the two angles cannot be compared again after rounding.
    s.FullCircle = s.StartAngle == s.EndAngle;
    if (s.FullCircle) s.EndAngle = static_cast<float>(s.EndAngle + 2.0L * kPi);
    if (s.StartAngle < 0.0f || s.EndAngle < 0.0f) {
        s.StartAngle = static_cast<float>(s.StartAngle + 2.0L * kPi);
        s.EndAngle = static_cast<float>(s.EndAngle + 2.0L * kPi);
    }
    const float sa = s.StartAngle, ea = s.EndAngle, r = s.Radius;
    const int linear = 3 - axis1 - axis2;
    if (dxfEntities()) {
        DxfArcMove arc;
        arc.axis1 = axis1;
        arc.axis2 = axis2;
        arc.clockwise = drawnCw;
        arc.fullCircle = s.FullCircle;
        for (int a = 0; a < 3; ++a) {
            arc.start[a] = S[a] / k;
            arc.end[a] = E[a] / k;
            arc.centre[a] = (a == linear ? E[a] : centre[a]) / k;
        }
        arc.radius = static_cast<long double>(r) / k;
        Dxf->DxfBodyArc(arc);
    }
    // A clockwise sweep takes (start, end), a counter-clockwise one (end, start).
    const float A = drawnCw ? sa : ea, B = drawnCw ? ea : sa;
    if (axis2 == 1)
        arkIJ(continuous, drawnCw, s.FullCircle, centre[0], centre[1], E[2], A, B, r);
    else if (axis1 == 0)
        arkIK(continuous, drawnCw, s.FullCircle, centre[0], centre[2], E[1], A, B, r);
    else
        arkJK(continuous, drawnCw, s.FullCircle, centre[1], centre[2], E[0], A, B, r);
}

}  // namespace tolva
