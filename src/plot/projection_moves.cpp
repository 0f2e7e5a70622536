// The plot's consumer of the stream of moves: program units to scaled units,
// then the drawing primitives of projection.cpp.
#include <cmath>
#include <limits>
#include <utility>

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

bool Projection::PlanePlotAxes(MovePlane plane, const PlotAxes& axes, int& axis1, int& axis2) {
    int u, v;
    planeAxes(plane, u, v);
    for (const auto& [a, b] : {std::pair{0, 1}, std::pair{0, 2}, std::pair{1, 2}}) {
        const int p = axes.shows[a], q = axes.shows[b];
        if ((p == u && q == v) || (p == v && q == u)) {
            axis1 = a, axis2 = b;
            return true;
        }
    }
    return false;
}

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
    if (move.kind == MoveKind::Arc) {
        const double before = state_.TotalDist;
        const long double movedBefore = MovedLength;
        lastSweep_ = std::numeric_limits<long double>::quiet_NaN();
        drawArc(move, axes, S, E, continuous);
        const long double length = std::isnan(lastSweep_) ? lastSweep_ : arcLength(move, lastSweep_);
        if (std::isfinite(length)) {
            state_.TotalDist = before + static_cast<double>(length);
            MovedLength = movedBefore + length;
        }
    } else {
        // Along the plot's axes, in program units: the length the line is drawn with.
        long double sum = 0.0L;
        for (int a = 0; a < 3; ++a) {
            const long double d = static_cast<long double>(end[a]) - start[a];
            sum += d * d;
        }
        drawLine(S, E, std::sqrt(sum));
    }
    if (chain) EndDxfMove();

    state_.PrevX = E[0], state_.PrevY = E[1], state_.PrevZ = E[2];
    for (int a = 0; a < 3; ++a) lastProgram_[a] = end[a];
}

void Projection::drawLine(const float* S, const float* E, long double length) {
    LINE3d(E[0], E[1], E[2]);
    long double scaled = length * std::fabs(static_cast<long double>(state_.ViewScale));
    if (!std::isfinite(scaled)) {
        // Beyond the range of the scaled points: the length between them as drawn.
        const long double dx = static_cast<long double>(E[0]) - S[0];
        const long double dy = static_cast<long double>(E[1]) - S[1];
        const long double dz = static_cast<long double>(E[2]) - S[2];
        scaled = std::sqrt(dx * dx + dy * dy + dz * dz);
    }
    state_.TotalDist += static_cast<double>(scaled);
    MovedLength += scaled;
}

long double Projection::arcLength(const Move& move, long double stepped) const {
    int u, v;
    planeAxes(move.plane, u, v);
    const long double su = static_cast<long double>(move.start[u]) - move.centre[u];
    const long double sv = static_cast<long double>(move.start[v]) - move.centre[v];
    const long double eu = static_cast<long double>(move.end[u]) - move.centre[u];
    const long double ev = static_cast<long double>(move.end[v]) - move.centre[v];
    const long double r = std::hypot(su, sv);
    // The counter-clockwise angle from start to end in [0, 2 pi), and the
    // other side of the chord; the stepping decided the side (and whether a
    // closed arc is a whole turn), so the one nearer its sweep is the arc.
    long double d = std::atan2(ev, eu) - std::atan2(sv, su);
    if (d < 0.0L) d += 2.0L * kPi;
    if (d >= 2.0L * kPi) d -= 2.0L * kPi;
    const long double other = 2.0L * kPi - d;
    const long double sweep = std::fabs(stepped - d) <= std::fabs(stepped - other) ? d : other;
    return sweep * r * std::fabs(static_cast<long double>(state_.ViewScale));
}

void Projection::drawArc(const Move& move, const PlotAxes& axes, const float* S, const float* E,
                         bool continuous) {
    PlotState& s = state_;
    int axis1, axis2;
    if (!PlanePlotAxes(move.plane, axes, axis1, axis2)) return;
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
