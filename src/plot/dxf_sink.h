// Where a DXF export riding on a plot writes its entities. The plot holds a
// pointer to one (null when no export is open); the interpreter writes lines,
// arcs and circles, the projection writes the segments of a lines-only export.
//
// All values are program units in the plot's axes (the axes of the letters in
// force) with the plot's axis signs applied; the writer takes the signs out
// again and maps the axes to DXF axes.
#pragma once

#include "plot/move.h"
#include "text/axis_codes.h"

namespace tolva {

// An arc as the plot draws it, in any of the three planes.
struct DxfArcMove {
    int axis1 = 0, axis2 = 1;         // its plane's plot axes (0 X, 1 Y, 2 Z), first and second
    bool clockwise = false;           // turning clockwise in (axis1, axis2), axis1 across, axis2 up
    bool fullCircle = false;          // start and end coincide: one whole turn
    long double centre[3] = {};       // the third axis at the arc's end value
    long double start[3] = {}, end[3] = {};
    long double radius = 0.0L;
};

class DxfSink {
public:
    virtual ~DxfSink() = default;
    virtual void DxfBody(float x1, float y1, float z1, float x2, float y2, float z2) = 0;
    // An ARC entity, or a CIRCLE for a full circle.
    virtual void DxfBodyArc(const DxfArcMove& arc) = 0;
};

// Writes one move of the stream to `dxf`: a line, or an arc in the plot axes
// that show its plane (nothing when none do).
void WriteDxfMove(const Move& move, const PlotAxes& axes, DxfSink& dxf);

}  // namespace tolva
