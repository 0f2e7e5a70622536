// From the interpreter's scaled 3-D points to pixels on the plot canvas: the
// view scale and program-zero origin, the three view rotations, line drawing
// (`LINE3d`), arc stepping in the three planes and the axis indicator.
//
// It draws the interpreter's moves (program units, program axes): each
// coordinate is taken to scaled units here, and only here, as
// float(value x sign x ViewScale) on the plot axis that shows it.
//
// Inputs of the drawing primitives are scaled units (program units times `ViewScale`, axis signs
// applied). With the view angles all 0 the program's X runs down the screen
// and Y across: pixel = (OriginX + Y, OriginY + X), rounded ties-to-even.
#pragma once

#include <vector>

#include "plot/canvas.h"
#include "plot/dxf_sink.h"
#include "plot/move.h"
#include "plot/plot_state.h"
#include "text/axis_codes.h"

namespace tolva {

// The settings the projection reads at the moment of use.
struct ProjectionSettings {
    int PlotResSpinEdit = 1;     // arc resolution 1..20: chord about p pixels (p/(6-p) below 5)
    bool WriteBlueLine = false;  // DXF export also writes moves drawn after a cut-off
};

// What the plot window shows of the canvas, for keeping the view centre fixed
// when the scale changes. Pixels.
struct VisibleArea {
    int ClientWidth = 0;   // scroll box client area
    int ClientHeight = 0;
    int ScrollX = 0;       // scroll positions
    int ScrollY = 0;
    int PanelHeight = 0;   // toolbar panel above the scroll box
};

// The angular range an arc is stepped over, in radians of the stepping angle
// (the plot angle minus a quarter turn), from < to, and the radius used.
struct ArcSweep {
    long double from = 0.0L;
    long double to = 0.0L;
    long double r = 0.0L;
};

// Normalises an angle pair (A, B) as the arc routines receive them. A sweep
// always runs upwards from `from` to `to`; `to` is moved on by a turn when
// below `from`. A full circle is one whole turn starting and ending at the
// arc's start point: A for a clockwise sweep, B for a counter-clockwise one.
// When the caller does not say so, a pair that comes out equal is taken as a
// full circle too. A radius of 0 becomes 0.0001.
ArcSweep FixAngles(float A, float B, float r, bool clockwise, bool fullCircle);

// Angular step in radians for a radius in pixels, at resolution p (1..20).
long double GetIncrement(float r, int p);

// Arcs are stepped with AVX2 where the machine has it, else portably (Best);
// each can be chosen so that both can be tested on one machine. False, and
// nothing changed, when the machine lacks the instructions.
enum class ArcKernel { Best, Avx2, Baseline };
bool UseArcKernel(ArcKernel k);

class Projection {
public:
    Projection(PlotState& state, Canvas& canvas) : state_(state), canvas_(canvas) {}

    ProjectionSettings Settings;
    // The open DXF export, or null. Lines-only exports take the drawn segments here.
    DxfSink* Dxf = nullptr;
    // Length of every move plotted (straight and arc), scaled units, in
    // long double: differences of it measure a stretch of the program.
    long double MovedLength = 0.0L;

    // Draws one move of a program: the plot axes show the program's axes with
    // the signs of `axes` and ViewScale; the move's length (scaled units)
    // goes to TotalDist and MovedLength, the drawn segments to a lines-only
    // DXF export riding on the plot. The pen draws from where it stands.
    void DrawMove(const Move& move, const PlotAxes& axes, bool continuous);
    // The plot axes (axis1 < axis2) that show `plane`; false when no two do
    // (both swaps on make two plot axes read one program axis).
    static bool PlanePlotAxes(MovePlane plane, const PlotAxes& axes, int& axis1, int& axis2);
    // A line that moved the program position without drawing: the move's end
    // becomes (PrevX, PrevY, PrevZ); the pen stays where it is.
    void SkipMove(const Move& move, const PlotAxes& axes);
    // A new plot: the program position is zero, as the pen's (PrevX, PrevY, PrevZ).
    void StartMoves();

    // View angles in degrees, -180..180: rotation about Y (first viewpoint
    // angle), about X (second), about Z. Each change marks the cached sines stale.
    void SetViewAngles(int spinEdit3, int spinEdit4, int zAxisSpinEdit);
    int ViewAngleA() const { return a_; }
    int ViewAngleB() const { return b_; }
    int ViewAngleC() const { return c_; }

    // Pixel of a scaled point under the current view and origin.
    Pixel Project(float X, float Y, float Z);

    // Draws from the pen position to the projected point. Lines on the first
    // program line (CurLine < 1) are never drawn and never enter the extents.
    // A point that is not finite is skipped entirely. A point that lands on the
    // pixel the pen is already on draws nothing.
    void LINE3d(float X, float Y, float Z);

    long double GetIncrement(float r) const { return tolva::GetIncrement(r, Settings.PlotResSpinEdit); }

    // Arc stepping. Centre in the plane's two coordinates, `linearEnd` the end
    // value of the third axis (reached evenly with the angle, from the current
    // position: a helix when it changes). A and B are plot angles (radians);
    // callers pass (start, end) for an arc turning clockwise in the plane's
    // two coordinates (the first across, the second up) and (end, start) for
    // a counter-clockwise one, so every sweep runs from the start point to the
    // end point. `clockwise` selects the stepping direction (see
    // AxisCodes::DrawnClockwise), `fullCircle` makes the sweep one whole turn
    // whatever A and B are.
    // Adds the stepped arc length to TotalDist (DrawMove puts the move's own
    // in its place). With `continuous` false the canvas is
    // refreshed before every segment.
    // XY: centre (X, Y), linear axis Z.
    void arkIJ(bool continuous, bool clockwise, bool fullCircle, float cx, float cy,
               float linearEnd, float A, float B, float r);
    // XZ: centre (X, Z), linear axis Y.
    void arkIK(bool continuous, bool clockwise, bool fullCircle, float cx, float cz,
               float linearEnd, float A, float B, float r);
    // YZ: centre (Y, Z), linear axis X.
    void arkJK(bool continuous, bool clockwise, bool fullCircle, float cy, float cz,
               float linearEnd, float A, float B, float r);

    // The axis indicator near the bottom-left corner of a canvas `canvasHeight`
    // pixels high: 25-pixel legs along X (red), Y (green) and Z (blue), turned
    // with the view. It neither enters the extents nor reaches a DXF export,
    // and leaves the pen colour, width, origin and CurLine as it found them.
    void Drawxyz(int canvasHeight);

    // Takes a new view scale spin value (pixels per program unit x 1000).
    // Unless the old scale was exactly 1.0 or is unchanged, or "Previous" has
    // just restored an origin, the origin moves so that the centre of the
    // visible area stays on the same program point.
    void TakeViewScale(int spinValue, const VisibleArea& area);

    // "Previous" of the zoom box: origin and scale value saved by the last box.
    int PreviousOriginX = 100;
    int PreviousOriginY = 460;
    int PreviousScaleValue = 100000;
    bool PreviousRestored = false;  // the next scale change is a restore

    // End of the last segment of a lines-only DXF export, scaled units.
    float LastDxfX = 0.0f, LastDxfY = 0.0f, LastDxfZ = 0.0f;

    // Lines-only DXF export: the move about to be drawn runs from the current
    // position (PrevX, PrevY, PrevZ) to this programmed end point (scaled
    // units). Its segments are then written as one chain from exactly that
    // start to exactly that end: a stepped arc's first point (its start) adds
    // no segment, and its last segment ends on the programmed point, not on
    // the one the stepping computes. Without it, segments run from point to
    // drawn point. EndDxfMove closes the move.
    void BeginDxfMove(float endX, float endY, float endZ);
    void EndDxfMove() { dxfMove_ = false; }

    // Arc points handed to LINE3d one at a time so far; the fast stepping
    // decides the others in bulk, certain of the same result.
    long long ExactArcPoints = 0;

private:
    enum class ArcPlane { XY, XZ, YZ };
    // Plot axis `a`'s scaled value of program value `v` (on the axis it
    // shows): the pen's own when the program value is unchanged (no rounding
    // creeps in), and when scaling overflows.
    float scaledAt(int a, double v, const PlotAxes& axes) const;
    void drawArc(const Move& move, const PlotAxes& axes, const float* S, const float* E, bool continuous);
    // `length`: the move's length in program units.
    void drawLine(const float* S, const float* E, long double length);
    // The arc's length (scaled units) from its program coordinates, on the
    // side of the chord the stepping drew (`stepped`, its sweep in radians).
    // DrawMove puts it in place of the length the stepping added from the
    // rounded scaled angles and radius.
    long double arcLength(const Move& move, long double stepped) const;
    // Sweep (radians) of the last arc stepped; NaN when none was.
    long double lastSweep_ = 0.0L;
    double lastProgram_[3] = {0.0, 0.0, 0.0};  // program position of (PrevX, PrevY, PrevZ), per plot axis
    // The points of one stepped arc: point i at angle first + dir*i*step
    // (stepping angle, radians), inside [from, to]; in-plane coordinates
    // (c1 - r cos, c2 - r sin), linear axis linearStart + i*dz. Scaled units.
    struct ArcSteps {
        ArcPlane plane = ArcPlane::XY;
        bool clockwise = false;
        long double c1 = 0, c2 = 0, r = 0, from = 0, to = 0, first = 0, dir = 1, step = 0;
        long double linearStart = 0, dz = 0;
        long double Angle(long long i) const;
        bool Inside(long long i) const;
        long long Count() const;  // points before the end point
    };
    void stepArc(ArcPlane plane, bool continuous, bool clockwise, bool fullCircle, float c1,
                 float c2, float linearEnd, float A, float B, float r);
    void arcPoint(ArcPlane plane, long double c1, long double c2, long double r,
                  long double theta, long double linear);
    // Point i of the arc through LINE3d, as the stepping computes it.
    void exactPoint(const ArcSteps& a, long long i);
    // Draws points 0..n-1 with the effect of exactPoint on each, faster;
    // false when it does not apply (nothing drawn then).
    bool fastArc(const ArcSteps& a, long long n);
    void refreshRotation();

    PlotState& state_;
    Canvas& canvas_;
    int a_ = 0, b_ = 0, c_ = 0;
    bool viewDirty_ = true;
    long double sinA_ = 0, cosA_ = 1, sinB_ = 0, cosB_ = 1, sinC_ = 0, cosC_ = 1;
    bool indicator_ = false;  // drawing the axis indicator
    // Lines-only export of one move (BeginDxfMove): what the next LINE3d
    // point is to the export.
    enum class DxfPoint { Drawn, Skipped, MoveEnd };
    bool dxfMove_ = false;
    DxfPoint dxfPoint_ = DxfPoint::Drawn;
    float moveEndX_ = 0.0f, moveEndY_ = 0.0f, moveEndZ_ = 0.0f;
    std::vector<Pixel> moves_;  // the fast stepping's pen moves, painted a batch at a time
};

}  // namespace tolva
