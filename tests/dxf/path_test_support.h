// Helpers of the path-assembly tests: a machine with plain G-code frame
// codes, and SegmentFile lines in the forms the DXF writers emit.
#pragma once

#include <string>
#include <vector>

#include "dxf/path_assembly.h"
#include "dxf_test_support.h"
#include "settings/label_table.h"
#include "text/number_format.h"

namespace tolva::pathtest {

// The plain G-code machine of the DXF tests: frames Absolute G90, Kerf Comp
// Left G41, Begin Block M03, End Block M05, Lead In (LEAD), File End M30;
// G01 lines, G02/G03 arcs.
inline PathAssemblySettings Settings(double tolerance = 0.005, bool includeZ = false, bool swapXY = false,
                                     bool swapYZ = false) {
    LabelTable t = test::PlainLabels();
    PathAssemblySettings s;
    s.codes = MakeAxisCodes(t, swapXY, swapYZ);
    s.connectTolerance = tolerance;
    s.includeZ = includeZ;
    return s;
}

inline std::string Num(double v) { return CoordinateText(v, 4); }

// "G01 X.. Y.. " and the Z word when given: the straight-line form, whose
// empty Z word leaves a final blank.
inline std::string Line(double x, double y) { return "G01 X" + Num(x) + " Y" + Num(y) + " "; }
inline std::string LineZ(double x, double y, double z) {
    return "G01 X" + Num(x) + " Y" + Num(y) + " Z" + Num(z);
}
// The XY arc form without Z and R: "G03 X.. Y..  I.. J..  ".
inline std::string Arc(int code, double x, double y, double i, double j) {
    return std::string(code == 2 ? "G02" : "G03") + " X" + Num(x) + " Y" + Num(y) + "  I" + Num(i) + " J" +
           Num(j) + "  ";
}

// A straight piece from (x1, y1) to (x2, y2).
inline void Piece(std::vector<std::string>& seg, double x1, double y1, double x2, double y2) {
    seg.push_back(Line(x1, y1));
    seg.push_back(Line(x2, y2));
}

inline const std::vector<std::string>& Head() {
    static const std::vector<std::string> h = {"G90 ", "G41 ", "M03 ", "(LEAD) "};
    return h;
}

}  // namespace tolva::pathtest
