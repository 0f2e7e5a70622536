// The object sort as first written, kept as the reference the one-plot sort
// is held to (tests) and measured against (benchmarks): the whole program is
// plotted again after each object has been taken out.
#pragma once

#include <string>
#include <vector>

#include "base/host.h"
#include "plot/interpreter.h"
#include "plot/object_sort.h"
#include "plot/program_lines.h"
#include "text/compress.h"
#include "text/label_code.h"

namespace tolva::test {

// The walk back to an object's first line as it was before hand-written
// first paths kept their approach: without a boundary, the Begin Block line.
inline int FirstLineWithoutApproach(const std::vector<std::string>& lines, int beginLine, const AxisCodes& codes) {
    for (int i = beginLine - 1; i >= 0; --i)
        for (int row : {LabelRow::EndBlock, LabelRow::KerfCompLeft, LabelRow::KerfCompRight})
            if (HasCode(lines[i], codes.Code(row))) return i + 1;
    return beginLine;
}

// The sort as first written: compress, then plot the whole program once per
// object, each time taking out the object the plot's smallest (or largest)
// record names, until the record names none; the objects come back behind
// the rest, before the last line unless that ends an object. With
// `withoutApproach`, objects begin as they did before first paths kept their
// approach.
inline std::vector<std::string> SlowSort(Interpreter& interp, std::vector<std::string> lines, ObjectOrder order,
                                         bool withoutApproach) {
    interp.Setaxis();
    const AxisCodes codes = interp.Codes();
    RemoveDup(0, lines, codes);
    std::vector<int> origin(lines.size());
    for (std::size_t i = 0; i < origin.size(); ++i) origin[i] = static_cast<int>(i);
    const int last = static_cast<int>(lines.size()) - 1;
    std::vector<std::string> scratch;
    RecordingHost host;
    for (;;) {
        VectorLines text(lines);
        interp.MainLineCount = static_cast<int>(lines.size());
        interp.PlotAll(text, false, true, 0, 0, host);
        const PlotState& state = interp.State();
        const ObjectRecord r = order == ObjectOrder::Ascending ? state.Smallest : state.Largest;
        // The programs here hold no object ending on line 0: such a record
        // names none.
        if (r.EndLine == 0) break;
        const int s = withoutApproach ? FirstLineWithoutApproach(lines, r.StartLine, codes)
                                      : ObjectFirstLine(lines, r.StartLine, codes);
        const int e = r.EndLine;
        if (e >= s) {
            scratch.insert(scratch.end(), lines.begin() + s, lines.begin() + e + 1);
            lines.erase(lines.begin() + s, lines.begin() + e + 1);
            origin.erase(origin.begin() + s, origin.begin() + e + 1);
        }
    }
    std::string aside;
    // The last line stays last unless it ends an object.
    const bool keepLast = !origin.empty() && origin.back() == last &&
                          !HasCode(lines.back(), codes.Code(LabelRow::EndBlock));
    if (keepLast) {
        aside = lines.back();
        lines.pop_back();
    }
    if (scratch.empty()) scratch.emplace_back();
    lines.insert(lines.end(), scratch.begin(), scratch.end());
    if (keepLast) lines.push_back(aside);
    return lines;
}

}  // namespace tolva::test
