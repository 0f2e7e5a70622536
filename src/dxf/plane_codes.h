// The program head and tail of a converted DXF program, and the plane codes
// and approach lines around its paths (`AddPlaneCodes2`).
//
// A pass over the lines of the previous pass, taken in pairs (start line,
// end line). Header rows 23..26 and trailer rows 74..78 each stand for one
// line: the lines of the file the row names, or the row's text, or one blank
// when the row is empty.
#pragma once

#include <string>
#include <vector>

#include "base/program_file.h"
#include "dxf/dxf_settings.h"

namespace tolva {

// Appends the lines of the file `name` to `out`, and one line holding a blank
// when their number is even, so that a file always adds an odd number of
// lines and the pairs after it stay aligned.
FileStatus insertfile(const std::string& name, std::vector<std::string>& out);

struct PlaneCodesResult {
    FileStatus status;
    std::vector<std::string> lines;
};

// `in`: the previous pass's output. Writes row 0 twice, the header entries,
// then the pairs: with "Z Included", the plane code of each arc line (row 20
// for I and J, 21 for I and K, 22 for J and K) between its start line and
// it; with any lead-in option, before each Begin Block (row 8) pair the
// rapid code of row 27 (blanks removed) with the X, Y and Z words of the
// path's first point; the trailer entries before the line that equals row
// 10 exactly.
PlaneCodesResult AddPlaneCodes2(const std::vector<std::string>& in, const DxfImportSettings& settings);

}  // namespace tolva
