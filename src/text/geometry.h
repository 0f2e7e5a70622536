// Plane geometry shared by the backplot, the DXF import and the offset tools.
//
// Pure functions of their arguments. Results are stored as 32-bit floats
// (BulgeArc's, which the DXF import writes, as doubles); everything in
// between is computed in long double. Angles are radians.
//
// Two angle conventions meet here:
//  - `VectorAngle` (the plot's convention): measured from the +second axis,
//    increasing towards -first axis, so a point is
//    centre + r * (-sin phi, cos phi). Range (-pi/2, 3pi/2].
//  - `Calc_VectorIJ` and the chord angle theta of the arc-centre routines:
//    the direction (first, second) = L * (sin theta, cos theta), that is from
//    the +second axis towards the +first axis. Range (0, 2pi].
// "First" and "second" are the two coordinates of the plane in the order the
// routine names them: X,Y for XY; X,Z for XZ; Y,Z for YZ.
#pragma once

#include <string>
#include <string_view>

namespace tolva {

// sqrt(a^2 + b^2).
float Hypot2(long double a, long double b);

// sqrt(|a^2 - b^2|): the other leg of a right triangle, symmetric in a and b.
float LegLength(long double a, long double b);

// Angle of the vector from (p3, p4) to (p1, p2) in the plot's convention.
// Called as (point x, point y, centre x, centre y) it gives the phi with
// point = centre + r * (-sin phi, cos phi). A zero second difference is taken
// as 1e-10, so (1, 0, 0, 0) gives -pi/2.
float VectorAngle(long double p1, long double p2, long double p3, long double p4);

// Direction of the vector (X1, Y1) -> (X2, Y2) in machine axes, from +Y
// towards +X, in (0, 2pi]: +Y gives 2pi, +X pi/2, -Y pi, -X 3pi/2.
float Calc_VectorIJ(long double X1, long double Y1, long double X2, long double Y2);

// Centre of an arc given by its end points and a radius.
// (u, v): the centre's offsets from the start point, in the routine's first and
// second coordinate. theta: the chord angle (start towards end), in (0, 2pi].
struct ArcCentre {
    float u = 0.0f;
    float v = 0.0f;
    float theta = 0.0f;
};

// Arc-centre routines of the backplot. Points are in the space the plot draws
// in (scaled units, axis signs already applied), so no sign setting enters.
// `clockwise` is the direction the plot draws the arc in, clockwise seen with
// the routine's first coordinate across and its second up (what
// AxisCodes::DrawnClockwise gives for the plane's two plot axes).
//
// The centre lies |R| from the start point, on the chord's bisector (when |R|
// is shorter than half the chord the leg is sqrt(half^2 - R^2) instead and no
// error is reported), on the side where the arc swept from the start to the
// end in that direction spans at most half a turn; a negative R picks the
// other side, the arc of more than half a turn, as a machine reads it.
// When start and end coincide (a full circle) u and v come back exchanged,
// which still puts the centre |R| from the start.
//
// XY: start (q1, q2) = (X, Y).
ArcCentre ArcCentreXY(bool clockwise, long double q1, long double q2, long double q3,
                      long double q4, long double R);
// Every plane is the same computation in its own two coordinates.
// XZ: start (q1, q2) = (X, Z), u is the X offset, v the Z offset.
inline ArcCentre ArcCentreXZ(bool clockwise, long double q1, long double q2, long double q3, long double q4,
                             long double R) {
    return ArcCentreXY(clockwise, q1, q2, q3, q4, R);
}
// YZ: start (q1, q2) = (Y, Z), u is the Y offset, v the Z offset.
inline ArcCentre ArcCentreYZ(bool clockwise, long double q1, long double q2, long double q3, long double q4,
                             long double R) {
    return ArcCentreXY(clockwise, q1, q2, q3, q4, R);
}

// The DXF import's form: as ArcCentreXY (negative R included), with u scaled
// by |fX| and v by |fY|. When either factor is 0 nothing is computed and
// `written` is false.
struct ScaledArcCentre {
    ArcCentre centre;
    bool written = false;
};
ScaledArcCentre ArcCentreScaled(bool clockwise, long double q1, long double q2, long double q3,
                                long double q4, long double R, long double fX, long double fY);

// A DXF polyline segment with a bulge, turned into an arc in machine
// coordinates. Inputs are the segment's start and end as the import wrote
// them (coordinate texts, period as decimal point: machine X = drawing Y x fX,
// machine Y = drawing X x fY), the bulge, whether the arc turns clockwise in
// the drawing, and the import's X and Y scale factors (after their sign
// boxes). The arc is found in the drawing's own units and its centre scaled
// back, so factors of different size (X as diameter) keep it round where it
// was drawn. The radius is in drawing units, negative for more than half a
// turn (from the scaled points when a factor is 0, and then no centre).
// Values are doubles and texts have `decimalPlaces` decimals with every
// integer digit, as the import writes its coordinates.
struct BulgeArcResult {
    bool ok = false;             // false: a text did not read, or the bulge is 0
    double Radius = 0.0;         // negative for more than half a turn
    std::string RadiusText;
    bool centreComputed = false; // false when a scale factor is 0
    double CentreX = 0.0, CentreY = 0.0;
    std::string CentreXText, CentreYText;
};
BulgeArcResult BulgeArc(std::string_view x1, std::string_view y1, std::string_view x2,
                        std::string_view y2, long double bulge, bool clockwise, long double fX,
                        long double fY, int decimalPlaces);

}  // namespace tolva
