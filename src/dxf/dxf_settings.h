// The settings a DXF import takes once, when it starts.
//
// Filled from the machine settings in force; text fields that do not read as
// numbers take their fixed defaults. Scales are after their "* -1" boxes, so
// they are the DXF plane factors the DXF export reads afterwards. Coordinates
// and factors are doubles, as everything the reader computes: a drawing's
// six integer digits keep their decimals.
#pragma once

#include <string>
#include <string_view>

#include "settings/label_table.h"

namespace tolva {

class MachineSettings;

struct DxfImportSettings {
    // Length of straight circle lead-ins, radius of half-circle ones
    // (drawing units).
    double leadIn = 0.5;
    // Factors of machine X (from drawing Y), machine Y (from drawing X) and Z.
    double xScale = 1.0, yScale = 1.0, zScale = 1.0;
    double zOffset = 0.0;  // added to every drawing Z before scaling
    // "X div 2": the program's X words are diameters (a lathe), so the X
    // factor is twice the factor of lengths across X. Radii and the centre
    // offsets derived from them are lengths, never diameters.
    bool xDiameter = false;
    int decimals = 3;      // of every coordinate written
    std::string layer;     // "*" reads every layer; otherwise exact, case-sensitive
    int ellipsePoints = 360;
    // Largest distance of a fitted curve (SPLINE) from the drawing, program
    // units: the connect tolerance.
    double fitTolerance = 0.005;
    // "Machine Units": "mm", "inch" or anything else for as drawn.
    std::string machineUnits;

    bool includeZ = false;
    // CAD-writer variants: how group-code lines are spelt.
    bool autosketch = false, ashlar = false, corel = false, designCad = false;
    // Arc output.
    bool rMode = false, bridgeport = false, ijFourQuad = false, swapYZ = false, swapXY = false;
    // Circle lead-in styles (at most one is on).
    bool lineLeadIn = false;      // straight in, straight out
    bool arcLeadIn = false;       // half circle in, half circle out
    bool lineInArcOut = false;
    bool arcInLineOut = false;
    bool editLineOnly = false;    // approach line only

    // Codes and letters in force (blanks removed, axis swaps applied).
    AxisCodes codes;

    bool AnyLeadIn() const {
        return lineLeadIn || arcLeadIn || lineInArcOut || arcInLineOut || editLineOnly;
    }
};

// Reads the import settings. R mode implies four-quadrant circles and no
// incremental centres (see ApplyRadiusInterlock); the result already has that
// effect even when the caller has not applied the interlock to `settings`.
DxfImportSettings ReadDxfImportSettings(const MachineSettings& settings);
// The machine file's decimals ("DpEdit"): 3 when not a number, 0 to 18.
int DxfDecimalPlaces(const MachineSettings& settings);

// With "R instead of I J K" on, an import turns "Incremental Type I J" off and
// "Make I J Circles 4 Quadrants" on, and both stay so afterwards. Run before an
// import, on the settings the user sees.
void ApplyRadiusInterlock(MachineSettings& settings);

// Reads a real from a settings field or a DXF value line: leading and
// trailing blanks and tabs allowed, an optional "+", the period as decimal
// point, an optional exponent. False for anything else, and for values
// outside the range of a 32-bit float (no drawing reaches them).
bool ReadDxfReal(std::string_view text, double& out);

}  // namespace tolva
