// Travel direction of closed paths for cutter compensation.
//
// A converted drawing gets one compensation code for all its paths (label row
// 4, Kerf Comp Left). For that one code to keep the tool out of the material
// everywhere, every closed path is turned so that the compensation side lies
// outside the material it bounds: an outline (a path inside an even number of
// other closed paths) runs with the material on the side away from the
// compensation, a hole (inside an odd number) the other way. With left
// compensation outlines run clockwise and holes counter-clockwise, with right
// compensation it would be the reverse, but the import frames every path with
// the left code. Open paths keep their direction.
//
// Geometry is taken from the lines as the control reads them: the words of
// the label table's own X, Y, I and J letters (rows 17, 18, 14, 15, without
// the axis swaps), arcs by the Arc Cw / Arc Ccw codes with absolute centres
// (as SORTOUT3 leaves them), clockwise as seen from +Z with X to the right and
// Y up. So whatever the scales, sign boxes and swaps did to the numbers, the
// direction is judged on the program the control runs.
//
// A path is reversed on the piece level: its pieces in the opposite order,
// each piece turned round as SORTOUT3 turns one (start and end exchanged, the
// arc code Cw <-> Ccw, the absolute centre kept). A path with an arc outside
// the XY plane (no I or J word), or one enclosing no area, is left as it is.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "dxf/path_assembly.h"

namespace tolva {

// The compensation side the machine file's frame code asks for. None when
// "Kerf Comp Left" holds the same code as "Kerf Comp Right" (G40 in both, or
// both empty): the tool runs on the line and any direction serves.
KerfSide KerfSideOf(const AxisCodes& codes);

// Turns the closed paths of `lines` (the output of ChainPieces, whose spans
// are `paths`) for `side`; nothing for KerfSide::None. Returns the number of
// paths reversed. `points`, when given, are the pieces' points as chained
// (PathChain::Points), which spares reading them again from the lines.
std::size_t OrientClosedPaths(std::vector<std::string>& lines, const std::vector<PathSpan>& paths,
                              const PathAssemblySettings& settings, KerfSide side,
                              const std::vector<PiecePoints>* points = nullptr);

}  // namespace tolva
