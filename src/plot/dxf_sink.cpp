#include "plot/dxf_sink.h"

#include "plot/projection.h"
#include "text/geometry.h"

namespace tolva {

void WriteDxfMove(const Move& move, const PlotAxes& axes, DxfSink& dxf) {
    // Plot axis a reads program axis axes.shows[a], with its sign.
    auto at = [&](const double* p, int a) { return p[axes.shows[a]] * axes.sign[a]; };
    if (move.kind != MoveKind::Arc) {
        auto f = [&](const double* p, int a) { return static_cast<float>(at(p, a)); };
        dxf.DxfBody(f(move.start, 0), f(move.start, 1), f(move.start, 2), f(move.end, 0), f(move.end, 1),
                    f(move.end, 2));
        return;
    }
    DxfArcMove arc;
    if (!Projection::PlanePlotAxes(move.plane, axes, arc.axis1, arc.axis2)) return;
    arc.clockwise = axes.DrawnClockwise(move.clockwise, arc.axis1, arc.axis2);
    arc.fullCircle = move.fullCircle;
    const int linear = 3 - arc.axis1 - arc.axis2;
    for (int a = 0; a < 3; ++a) {
        arc.start[a] = at(move.start, a);
        arc.end[a] = at(move.end, a);
        arc.centre[a] = a == linear ? arc.end[a] : at(move.centre, a);
    }
    arc.radius = Hypot2(arc.centre[arc.axis1] - arc.start[arc.axis1], arc.centre[arc.axis2] - arc.start[arc.axis2]);
    dxf.DxfBodyArc(arc);
}

}  // namespace tolva
