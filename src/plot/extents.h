// The extents of a program and the view scale that fits it, measured after
// a load for the plot window's "View Scale" and for the array window.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/gcode_words.h"

namespace tolva {

// Largest and smallest X and Y of a program, in program units. The origin
// always lies inside (all four start at 0). After a pass `xSize`/`ySize`
// hold |largest| + |smallest|.
struct Extents {
    float maxX = 0, maxY = 0, minX = 0, minY = 0;
    float xSize = 0, ySize = 0;
};

// Reads the X and Y words of every line; a line without the word counts 0.
Extents MeasureExtents(const std::vector<std::string>& lines, const Letters& letters);
// The same over raw program text (lines ended by CR LF, LF or CR).
Extents MeasureExtents(std::string_view text, const Letters& letters);

// The range of the plot window's View Scale field.
constexpr long long kViewScaleMin = 1, kViewScaleMax = 999999;
// The view scale for a canvas `widthPixels` wide: width / larger size * 500,
// ties to even, kept within kViewScaleMin..kViewScaleMax; 0 when both sizes
// are 0 (the caller keeps its scale).
long long ScaleForExtents(const Extents& e, int widthPixels);

}  // namespace tolva
