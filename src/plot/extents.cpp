#include "plot/extents.h"

#include <cmath>

#include "text/number_format.h"

namespace tolva {

namespace {

struct ExtentsPass {
    Extents e;
    void add(std::string_view l, const Letters& letters) {
        // A word too large for a float counts 0, as it is absent in the plot.
        float x = WordValue(letters.X, l).value;
        float y = WordValue(letters.Y, l).value;
        if (!std::isfinite(x)) x = 0;
        if (!std::isfinite(y)) y = 0;
        if (x > e.maxX) e.maxX = x;
        if (x < e.minX) e.minX = x;
        if (y > e.maxY) e.maxY = y;
        if (y < e.minY) e.minY = y;
    }
    Extents done() {
        e.xSize = std::fabs(e.maxX) + std::fabs(e.minX);
        e.ySize = std::fabs(e.maxY) + std::fabs(e.minY);
        return e;
    }
};

}  // namespace

Extents MeasureExtents(const std::vector<std::string>& lines, const Letters& letters) {
    ExtentsPass pass;
    for (const auto& line : lines) pass.add(line, letters);
    return pass.done();
}

Extents MeasureExtents(std::string_view text, const Letters& letters) {
    ExtentsPass pass;
    std::size_t start = 0, n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        char c = text[i];
        if (c != '\n' && c != '\r') continue;
        pass.add(text.substr(start, i - start), letters);
        if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < n) pass.add(text.substr(start), letters);
    return pass.done();
}

long long ScaleForExtents(const Extents& e, int widthPixels) {
    if (!(e.xSize > 0 || e.ySize > 0)) return 0;
    const long double size = e.xSize > e.ySize ? e.xSize : e.ySize;
    const long double scale = static_cast<long double>(widthPixels) / size * 500.0L;
    // The View Scale field holds 1 to 999999: a huge program gets the
    // smallest scale, a tiny one the largest.
    if (!(scale >= 1.0L)) return kViewScaleMin;
    if (scale > kViewScaleMax) return kViewScaleMax;
    return RoundHalfEven(scale);
}

}  // namespace tolva
