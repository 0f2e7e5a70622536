// The backplot's program-wide variables, shared by the plot window, the main
// window, the modifiers and the offset, array and drawing code. One instance
// is owned by the application and passed by reference.
//
// Positions, lengths and extents are in scaled units: program units times
// `ViewScale`, with the axis signs applied, so one scaled unit is one pixel
// before the view rotation. The program's X runs down the screen, Y across.
#pragma once

#include "text/gcode_words.h"

namespace tolva {

// A cut-on/cut-off object found by the object accounting.
struct ObjectRecord {
    float Length = 0.0f;  // scaled units
    int StartLine = 0;    // 0-based line of its cut-on
    int EndLine = 0;      // 0-based line of its cut-off
    // The length of its own moves from cut-on to cut-off, scaled units,
    // summed in long double.
    double Size = 0.0;
};

// The words of the line being interpreted: value as read, then transformed
// (signs, scale, incremental, centre offsets), and whether the word is present.
struct PlotWords {
    WordRead G, X, Y, Z, I, J, K, R;
};

struct PlotState {
    int CurLine = 0;  // 0-based index of the line being interpreted

    // Modal state.
    bool ArcCw = false;
    bool ArcCcw = false;
    bool AbsMode = true;  // false: incremental coordinates
    int Plane = 1;        // 1 = XY, 2 = XZ, 3 = YZ
    float PrevX = 0.0f, PrevY = 0.0f, PrevZ = 0.0f;  // end of the previous move

    // Arc geometry of the current line. Angles in radians in the plot's
    // convention (from +second axis towards -first axis).
    float StartAngle = 0.0f;
    float EndAngle = 0.0f;
    float Radius = 0.0f;
    float CentreX = 0.0f, CentreY = 0.0f, CentreZ = 0.0f;
    // Start and end coincide: the arc is one whole turn. Decided once, where the
    // end angle is moved on by a turn, and carried into the stepping, because
    // the two rounded angles cannot be compared again reliably.
    bool FullCircle = false;

    // Totals, scaled units, in double: each move adds its length worked out
    // from its program coordinates, so a program of many thousand moves far
    // from zero still adds up to the sum of its parts.
    double TotalDist = 0.0;  // every move
    double RapidDist = 0.0;  // between a cut-off and the next cut-on
    double LastMark = 0.0;   // object accounting
    double CutOffTotal = 0.0;  // TotalDist at the previous cut-off
    bool Cutting = false;      // a cut-on seen and no cut-off since
    int ObjectStartLine = 0;   // line of the current object's cut-on

    // Extents of every point drawn (before the view rotation).
    float MaxX = 0.0f, MinX = 0.0f, MaxY = 0.0f, MinY = 0.0f;

    // +1 or -1 from the sign settings (ticked gives -1).
    int XSign = -1, YSign = -1, ZSign = -1;

    float ViewScale = 1.0f;  // view scale spin value / 1000: pixels per program unit
    int OriginX = 100;       // pixel column of program zero
    int OriginY = 460;       // pixel row of program zero

    int DecimalPlaces = 3;  // decimals of numbers written into program text
    bool AbortPlot = false; // Esc: the running plot stops after the current line

    // The main editor's highlighted block: the line before its first line,
    // and its number of lines.
    int SelStartLine = 0;
    int SelLineCount = 0;

    bool DxfExportOn = false;   // a DXF export rides on this plot
    bool DxfLinesOnly = false;  // ... and writes only the drawn segments, as lines

    ObjectRecord Largest{0.0f, 0, 0};
    ObjectRecord Smallest{2147483648.0f, 0, 0};

    // Character offset in the main editor of the line being plotted, so the
    // editor can follow a single-stepped plot.
    long long FollowOffset = 0;
};

}  // namespace tolva
