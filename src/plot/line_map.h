// Which program line drew each pixel of the plot, and where the tool stood
// after each line: what a click on the path and the editor's caret need to
// find their way between the drawing and the text.
//
// Pixels of the plot bitmap (x across, y down). Lines are 0-based program
// line indices; -1 means no line. Memory is one int per pixel of the bitmap
// plus one pixel per program line, whatever the number of drawn segments.
#pragma once

#include <optional>
#include <vector>

#include "plot/canvas.h"

namespace tolva {

class LineMap {
public:
    LineMap(int width, int height);
    int Width() const { return w_; }
    int Height() const { return h_; }

    // A fresh plot: no pixel owned, no line drawn.
    void Clear();
    // The segment from..to (a one-pixel line, as the thin pen paints it) was
    // drawn for `line`; the tool now stands at `to`. Later lines own the
    // pixels they cross.
    void Paint(Pixel from, Pixel to, int line);

    int LineAt(int x, int y) const;
    // The line owning the painted pixel nearest to (x, y) within `radius`
    // pixels (Chebyshev ring by ring, then the true distance); -1 when none.
    int Nearest(int x, int y, int radius) const;
    // Where the tool stood after `line`: the end of the last segment drawn
    // for it or for the nearest line before it that drew; none before the
    // first drawn segment.
    std::optional<Pixel> ToolAfter(int line) const;
    // Every painted pixel of `line` (for highlighting it), in row order.
    std::vector<Pixel> PixelsOf(int line) const;

private:
    void plot(long long x, long long y, int line);
    int w_, h_;
    std::vector<int> owner_;
    // Per line: the end of its last segment; lines that drew nothing hold
    // x = kNone.
    std::vector<Pixel> end_;
    static constexpr int kNone = -2147483647 - 1;
};

}  // namespace tolva
