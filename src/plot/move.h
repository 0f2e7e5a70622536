// One move of a part program as the control runs it: the neutral record the
// interpreter emits for every motion, before any view scaling, axis sign or
// pixel. The plot's projection, the DXF export, the tools that need positions
// and the totals all consume the same stream.
//
// Units are program units (the unit in force in the program, G20 or G21 as the
// program says; no conversion). Coordinates are absolute machine-program
// coordinates as the program means them: incremental words already added to
// the previous position, arc centres already made absolute, R arcs already
// turned into a centre. Axis signs and swaps of the machine file's plot
// settings are NOT applied: they belong to the view.
#pragma once

namespace tolva {

enum class MoveKind {
    Rapid,  // the rapid motion code (G00)
    Line,   // a straight feed move (G01, or a modal straight move)
    Arc,    // an arc or full circle about `centre` in `plane`
};

enum class MovePlane { XY, XZ, YZ };

struct Move {
    MoveKind kind = MoveKind::Line;
    double start[3] = {0.0, 0.0, 0.0};  // X Y Z before the move
    double end[3] = {0.0, 0.0, 0.0};    // X Y Z after the move
    // Arcs only: the centre (the coordinate along the plane's normal is the
    // start's), the plane, and the direction as programmed: clockwise means
    // the arc code for clockwise (G02) seen looking down the plane's normal
    // from its positive side (XY from +Z, XZ from +Y, YZ from +X), the sense
    // rs274 runs it in. `fullCircle`: start and end coincide, one whole turn.
    double centre[3] = {0.0, 0.0, 0.0};
    MovePlane plane = MovePlane::XY;
    bool clockwise = false;
    bool fullCircle = false;
    int line = -1;       // 0-based index of the program line that made the move
    bool cutOn = false;  // between the machine's cut-on and cut-off codes
    double feed = 0.0;   // feed rate in force, program units per minute; 0 when unknown
};

// Receives the moves of a run in program order.
class MoveSink {
public:
    virtual ~MoveSink() = default;
    virtual void TakeMove(const Move& move) = 0;
};

}  // namespace tolva
