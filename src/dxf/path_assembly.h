// Path assembly of the DXF import, in memory: chaining the SegmentFile's
// pieces into framed paths (`SORTOUT3`), dropping pieces that continue the
// previous one in the same direction ("Line comp", `CrunchLines`) and the
// final clean-up (`RemoveDup2`). pass_files.h runs them on the pass files.
//
// Lines are taken two at a time. A piece is a start line and an end line as
// the DXF writers emit them; frame lines (Absolute, Kerf Comp Left, Begin
// Block, Lead In, End Block, File End) are written in pairs so that the
// pairing holds from pass to pass. The point of a line is the value of its X,
// Y and Z words (`WordValue`, letters in force), in program units and machine
// axes; Z counts only with "Z Included", otherwise it is 0. Distances are
// |dX| + |dY| + |dZ|.
//
// None of these fails: any text is a valid input (a missing partner line
// reads as an empty line) and the passes always end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/label_table.h"
#include "text/gcode_words.h"

namespace tolva {

class Host;
class MachineSettings;

// The side cutter compensation puts the tool on, seen along the travel: the
// import's frame writes "Kerf Comp Left"; None when the machine compensates
// for neither side.
enum class KerfSide { None, Left };

// Lines [begin, end) of a chained program holding one path's pieces (pairs of
// start and end line).
struct PathSpan {
    std::size_t begin = 0, end = 0;
    // Index of the path's first piece in the chain's piece points.
    std::size_t firstPiece = 0;
};

struct PathAssemblySettings {
    // Letters and label rows in force (`Setaxis`, or DxfImportSettings::codes).
    AxisCodes codes;
    bool includeZ = false;            // "Z Included" (IncludeZCheckBox)
    bool rMode = false;               // "R instead of I J K" (RCheckbox)
    // RemoveDup2 keeps centre and radius words alike, whatever rMode says:
    // a reversed block's arcs keep the words they were written with.
    bool keepArcWords = false;
    bool lineComp = false;            // "Line comp" (VectorCheckBox2): run CrunchLines
    double connectTolerance = 0.005;  // ConnectEdit, program units
    double vectorErrDegrees = 0.5;    // VectorErr, degrees
    // SORTOUT3 turns closed paths for this compensation side
    // (path_orientation.h); None keeps every path as chained.
    KerfSide orientFor = KerfSide::None;
};

// The settings of the machine in use; fields that do not read as numbers
// take 0.005 and 0.5. Closed paths are oriented for the side of the frame's
// compensation code unless "Keep drawn direction" is on.
PathAssemblySettings ReadPathAssemblySettings(const MachineSettings& settings, const AxisCodes& codes);

// A line's point, as a double per axis: a coordinate of six integer digits
// keeps its decimals, so points a thousandth apart stay apart.
struct LinePoint {
    double x = 0.0, y = 0.0, z = 0.0;
};
// A piece's start and end point as chained (axes of the letters in force).
struct PiecePoints {
    LinePoint a, b;
};
LinePoint PointOf(std::string_view line, const PathAssemblySettings& settings);
// |dX| + |dY| + |dZ| <= tolerance, in long double. False when any value is
// not finite, so such a point never joins anything.
bool WithinTolerance(const LinePoint& a, const LinePoint& b, long double tolerance);

// `SORTOUT3`: chains `segment` (the SegmentFile's lines) into paths. Paths
// come in the order of their first pieces; each grows greedily, a piece being
// taken in file order at its start if that lies within the connect tolerance
// of the path end, otherwise at its end (the piece is then turned round: X Y
// Z of its start, the arc code exchanged Cw <-> Ccw, the absolute centre
// kept). Each joined piece's start line repeats the path end's G X Y Z words
// exactly, so a gap within the tolerance disappears.
//
// The result is, line for line, that of the pass loop that rereads the
// remaining pieces once per pass (sortout_pass_loop.h), but the next piece is
// found through a grid of the remaining pieces' end points: about n log n
// for n pieces instead of up to n^2. `host` (may be null) gets progress and
// ProcessEvents() now and then.
// With settings.orientFor, closed paths are then turned for that side
// (OrientClosedPaths). `paths`, when given, receives each path's lines.
std::vector<std::string> ChainPieces(const std::vector<std::string>& segment,
                                     const PathAssemblySettings& settings, Host* host = nullptr,
                                     std::vector<PathSpan>* paths = nullptr);

// A piece turned round, as SORTOUT3 turns one: the end line's G word with
// Arc Cw and Arc Ccw exchanged, then the start line's X Y Z words and the end
// line's I J K R words (absolute centres hold for either direction).
std::string TurnedRoundEndLine(std::string_view start, std::string_view end, const AxisCodes& codes);
// The same from the two lines' words.
std::string TurnedRoundEndLine(const SplitLine& start, const SplitLine& end, const AxisCodes& codes);

// `CrunchLines`: each reference piece is written; the pieces after it whose
// direction (XY, XZ and YZ angles) differs from the reference's by less than
// VectorErr are dropped, the next start line then running straight from the
// reference's end to theirs; the first piece not dropped is written and the
// pair after it is the next reference.
// Kept safe on purpose:
//  - an arc piece (its end line holds the Arc Cw or Arc Ccw code) is never
//    dropped, so no arc becomes a chord;
//  - a frame pair (end line without X and Y words) is no reference;
//  - when dropped pieces end a path (a frame pair or the end of the input
//    follows), the last dropped end line is written twice, so the path still
//    reaches its end; RemoveDup2 removes the repeat.
std::vector<std::string> DropCollinearPieces(const std::vector<std::string>& in,
                                             const PathAssemblySettings& settings, Host* host = nullptr);

// `RemoveDup2`: every line rebuilt whole as its words in the order G M N X Y
// Z I J R K and the rest (arc centres dropped in R mode, R dropped otherwise,
// both kept with keepArcWords);
// a line is emptied when it only repeats the previous line's point (no other
// word), when it ends where the previous arc line ended, or when it equals
// the previous line without blanks; lines holding only blanks are not
// written. The previous line is the previous line as rebuilt, emptied or not,
// so of three equal lines the first and the third stay.
std::vector<std::string> CleanUpLines(const std::vector<std::string>& in,
                                      const PathAssemblySettings& settings, Host* host = nullptr);

}  // namespace tolva
