// Writing what the backplot draws as a minimal DXF drawing: an ENTITIES
// section of LINE, ARC, CIRCLE or POINT entities on layer "0", no HEADER,
// TABLES or BLOCKS. Every record is one line ended by CR LF; group codes are
// right-aligned in three characters.
//
// Axes: the DXF X axis carries the program's Y values and the DXF Y axis its
// X values, the exchange the DXF import makes, so a drawing imported and
// exported again comes back where it was drawn. The point file's points take
// the same axes.
//
// A file is written to a temporary name beside the target and takes the
// target's name only when complete: a failed export never leaves a partial
// drawing, and never destroys the file it would have replaced.
#pragma once

#include <string>

#include "base/program_file.h"
#include "plot/dxf_sink.h"
#include "plot/program_lines.h"
#include "text/axis_codes.h"
#include "text/gcode_words.h"

namespace tolva {

class Canvas;
class MachineSettings;

// The DXF factors of the last import, as signs: the import's X, Y and Z
// scales (after their "* -1" boxes) and its Z offset. An export multiplies by
// the signs again, so a program imported with mirrored axes is exported the
// way it was drawn. All are +1 and 0 until the first import.
struct DxfAxisFactors {
    int sx = 1, sy = 1, sz = 1;
    float z0 = 0.0f;
};
// A scale of 0 counts as +1.
DxfAxisFactors AxisFactorsOf(float xScale, float yScale, float zScale, float zOffset);
// Program-wide: set by every DXF import once it has taken its settings.
DxfAxisFactors& ImportedAxisFactors();

// How numbers and axes are written.
struct DxfFormat {
    int XSign = 1, YSign = 1, ZSign = 1;  // the plot's axis signs in force
    int DecimalPlaces = 3;                // fixed point, 6 significant digits
    bool IncludeZ = false;                // "Z Included": off writes every Z as "0"
    DxfAxisFactors factors;
};

// One DXF file being written. The entity writers take program units as the
// plot hands them over (its scaled values divided by the view scale, axis
// signs applied); see DxfSink for the angles.
class DxfWriter final : public DxfSink {
public:
    explicit DxfWriter(const DxfFormat& format) : f_(format) {}

    // Creates the file (under a temporary name) and writes the header.
    FileStatus DxfHeader(const std::string& path);
    void DxfBody(float x1, float y1, float z1, float x2, float y2, float z2) override;
    // An arc in any plane: an ARC (a CIRCLE for a full circle) turning
    // counter-clockwise about the plane's positive DXF axis, with that
    // extrusion when it is not Z. Without "Z Included" every Z is 0, so an
    // arc across Z is written as its shadow on the DXF XY plane: LINEs
    // through its start, the turning points of its sweep and its end.
    void DxfBodyArc(const DxfArcMove& arc) override;
    // A POINT at the program's X and Y words as written (not scaled), in the
    // full export's axes.
    void DxfBodyPoint(float x, float y, float z);
    // Writes the end and gives the file its name. Fails with the first write
    // error of the export, and then leaves nothing under the target's name
    // (an old file there stays as it was).
    FileStatus DxfFooter();

    long long Entities() const { return entities_; }

private:
    void record(const char* code, const std::string& value);
    std::string number(long double v) const;
    std::string dxfZ(float z) const;
    // An arc across Z without Z: its shadow as LINEs. Points in DXF axes; the
    // arc's plane is (u, v), `normal` the sign of the axis it turns about.
    void arcShadow(const DxfArcMove& arc, const long double* c, const long double* s, const long double* e, int u,
                   int v, int normal);
    void flush();

    DxfFormat f_;
    ReplacingFile file_;
    std::string buf_;
    FileStatus status_;
    long long entities_ = 0;
};

// A POINT for every line with both an X and a Y word (the letters in
// force), except the first line, which the plot never draws.
void GetXYs(const ProgramLines& text, const Letters& letters, DxfWriter& out);

// The point file: header, GetXYs over `text`, footer.
FileStatus DxfPointFile(const std::string& path, const ProgramLines& text, const Letters& letters,
                        const DxfFormat& format);

enum class DxfExportKind {
    Full,       // one LINE per straight move, one ARC or CIRCLE per XY arc
    LinesOnly,  // every segment the plot draws, arcs as chains of short lines
};

struct DxfPlotExport {
    DxfExportKind kind = DxfExportKind::Full;
    int viewScaleValue = 1000;  // the plot's "View Scale": arcs are stepped in its pixels
    int decimalPlaces = 3;
    DxfAxisFactors factors;
};

// Whether a line of `text` holds the cut-on code (label row 8) before any
// stop marker.
bool HasCutOn(const ProgramLines& text, const AxisCodes& codes);

// Plots `text` from its first line with the machine settings in force, as
// the plot window would, and writes what the plot draws to `path`. Moves
// drawn blue (after a cut-off) are written only with "Write Blue lines to
// dxf". The plot is an interpreter of its own on `canvas` (nothing drawn when
// null): the plot window's state, view and highlighted block are untouched
// and play no part.
FileStatus ExportPlotDxf(const std::string& path, const ProgramLines& text, MachineSettings& settings,
                         const DxfPlotExport& request, Canvas* canvas = nullptr);

}  // namespace tolva
