// Interactive drawing: the program lines that lines, arcs and circles drawn
// with the mouse in the plot window become, and the figures the vector
// read-out shows while they are drawn.
//
// Pixels are those of the plot canvas (x across, y down); program units are
// pixel offsets from program zero divided by the view scale, the horizontal
// offset giving Y (times YSign) and the vertical one X (times XSign), as the
// plot draws them. Every line is built from the codes and letters in force,
// never from literals, except the "0.000" of the frame's first move.
#pragma once

#include <string>
#include <vector>

#include "text/axis_codes.h"

namespace tolva {

enum class DrawMode { None, Line, Arc, Circle };

// The settings a drawn element reads.
struct DrawingSettings {
    int DecimalPlaces = 3;     // from "DpEdit"; 3 when that is not an integer
    bool RCheckbox = false;    // arcs with R instead of I and J
    bool Bridgeport = false;   // I and J are offsets from the arc's start
    bool LeadIn = false;       // "CircleCheckBox" or "ArcleadinCheckBox": circles get lead-in and lead-out
};

// Where the plot stands: view scale (pixels per unit), program zero and the
// axis signs.
struct DrawingView {
    float ViewScale = 1.0f;
    int OriginX = 100, OriginY = 460;
    int XSign = 1, YSign = 1;
};

// The shared drawing values, program units (angles in radians, screen
// convention: from the rightward direction towards the downward one).
struct DrawingValues {
    float Radius = 0, XInc = 0, YInc = 0;
    float AbsX = 0, AbsY = 0;  // the cursor at counter 0
    float EndX = 0, EndY = 0;
    float Cx = 0, Cy = 0;      // centre
    float XLow = 0, XHigh = 0, YLow = 0, YHigh = 0;  // a circle's quadrant points
    float FirstAngle = 0, SecondAngle = 0;
    float Angle = 0;           // the last mouse vector's
    std::string Indicator = "=";  // ">" an arc of more than half a turn, "<" less
};

// The read-out's texts: fixed-point, DecimalPlaces decimals, at most 4
// significant digits before the point.
struct ReadOutTexts {
    std::string Vector, Radius, XInc, YInc, EndX, EndY, AbsX, AbsY;
};

// One drawing in progress: the mode, its direction, the click counter and the
// values of the vector from the last press to the cursor.
class Drawing {
public:
    DrawMode Mode = DrawMode::None;
    bool Ccw = false;
    int Clicks = 0;
    DrawingValues Values;

    bool Active() const { return Mode != DrawMode::None; }
    // A mode starts: counter 0.
    void Start(DrawMode mode, bool ccw);
    void Stop() {
        Mode = DrawMode::None;
        Clicks = 0;
    }

    // `C_VectorIJ` for the mouse at `cursor` with the last press at `press`
    // (pixels). Updates the values (line mode forces the counter to 0). At
    // counter 2 of an arc or circle the element is complete: its lines are
    // returned (each to go before the program's last line) and `finished` set.
    struct Result {
        std::vector<std::string> lines;
        bool finished = false;
    };
    Result C_VectorIJ(int pressX, int pressY, int cursorX, int cursorY, const DrawingView& view,
                      const AxisCodes& codes, const DrawingSettings& s);

    ReadOutTexts ReadOut(int decimalPlaces) const;

    // `DrawALine`: the line mode's line to the cursor shown in the read-out:
    // the Line code (label row 1), then the X and Y words.
    std::string DrawALine(const AxisCodes& codes, int decimalPlaces) const;

private:
    std::vector<std::string> circleLines(const AxisCodes& codes, const DrawingSettings& s,
                                         const std::string& arcCode) const;
    static const std::string& drawnArcCode(const AxisCodes& codes, const DrawingView& view, bool ccw);
};

// `MakeALine`: line code, then X and Y words ("G01X1.000 Y2.000").
std::string MakeALine(const AxisCodes& codes, long double x, long double y, int decimalPlaces);
// `MakeAnArc`: arc code, X and Y words, then "R r " with `useR`, otherwise
// "I i J j ".
std::string MakeAnArc(const AxisCodes& codes, const std::string& arcCode, long double x, long double y,
                      bool useR, long double r, long double i, long double j, int decimalPlaces);
// `FileHeader`: the seven lines of a new program's frame: file start,
// absolute, kerf compensation left, cut on, lead-in, a line to X0 Y0, and the
// file end line that drawn lines go before.
std::vector<std::string> FileHeader(const AxisCodes& codes);

// A number of a drawn line: fixed-point with `decimals` decimals, rounded to
// `precision` significant digits, but never in exponent form, which the
// word reader would take as the mantissa alone.
std::string DrawnNumber(long double value, int decimals, int precision);

}  // namespace tolva
