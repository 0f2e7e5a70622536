// Where a DXF export riding on a plot writes its entities. The plot holds a
// pointer to one (null when no export is open); the interpreter writes lines,
// arcs and circles, the projection writes the segments of a lines-only export.
//
// All values are program units: the plot's scaled values divided by the view
// scale, with the axis signs as the plot applied them (the writer maps them to
// DXF axes). Angles are degrees in the plot's angle convention (from +Y,
// increasing towards -X), between 0 and 720.
#pragma once

namespace tolva {

class DxfSink {
public:
    virtual ~DxfSink() = default;
    virtual void DxfBody(float x1, float y1, float z1, float x2, float y2, float z2) = 0;
    virtual void DxfBodyArc(float cx, float cy, float z, float radius, float firstAngle,
                            float secondAngle) = 0;
    virtual void DxfBodyCircle(float cx, float cy, float z, float radius) = 0;
};

}  // namespace tolva
