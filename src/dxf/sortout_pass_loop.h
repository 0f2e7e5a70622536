// SORTOUT3 as the pass loop it was first written as: each pass rereads every
// remaining piece in file order, joins what touches the growing path end and
// leaves the rest for the next pass; a pass that joins nothing closes the
// path and the first piece left opens the next. Up to one pass per piece, so
// quadratic in the number of pieces.
//
// Kept only as the reference that ChainPieces (path_assembly.h) must match
// line for line: the equivalence tests and the benchmark use it. Do not call
// it from the import.
#pragma once

#include <string>
#include <vector>

#include "dxf/path_assembly.h"

namespace tolva {

std::vector<std::string> ChainPiecesPassLoop(const std::vector<std::string>& segment,
                                             const PathAssemblySettings& settings);

}  // namespace tolva
