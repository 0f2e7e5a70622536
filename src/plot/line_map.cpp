#include "plot/line_map.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tolva {

LineMap::LineMap(int width, int height)
    : w_(std::max(0, width)), h_(std::max(0, height)),
      owner_(static_cast<std::size_t>(w_) * static_cast<std::size_t>(h_), -1) {}

void LineMap::Clear() {
    std::fill(owner_.begin(), owner_.end(), -1);
    end_.clear();
}

void LineMap::plot(long long x, long long y, int line) {
    if (x >= 0 && y >= 0 && x < w_ && y < h_) owner_[static_cast<std::size_t>(y) * w_ + static_cast<std::size_t>(x)] = line;
}

void LineMap::Paint(Pixel from, Pixel to, int line) {
    if (line < 0) return;
    if (static_cast<std::size_t>(line) >= end_.size()) end_.resize(static_cast<std::size_t>(line) + 1, Pixel{kNone, 0});
    end_[static_cast<std::size_t>(line)] = to;
    // Clipped to the bitmap first (a zoomed-in view draws segments far
    // longer than it), then walked pixel by pixel, its end included.
    long long x0 = from.x, y0 = from.y, x1 = to.x, y1 = to.y;
    if (w_ == 0 || h_ == 0 || !ClipSegment(x0, y0, x1, y1, 0, w_ - 1, 0, h_ - 1)) return;
    WalkLine(x0, y0, x1, y1, [&](long long x, long long y) { plot(x, y, line); });
    plot(x1, y1, line);
}

int LineMap::LineAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return -1;
    return owner_[static_cast<std::size_t>(y) * w_ + static_cast<std::size_t>(x)];
}

int LineMap::Nearest(int x, int y, int radius) const {
    int best = -1;
    long long bestD = -1;
    for (int r = 0; r <= radius; ++r) {
        for (int yy = y - r; yy <= y + r; ++yy)
            for (int xx = x - r; xx <= x + r; ++xx) {
                if (std::abs(yy - y) != r && std::abs(xx - x) != r) continue;  // the ring only
                const int l = LineAt(xx, yy);
                if (l < 0) continue;
                const long long d = 1LL * (xx - x) * (xx - x) + 1LL * (yy - y) * (yy - y);
                if (best < 0 || d < bestD) {
                    best = l;
                    bestD = d;
                }
            }
        // A pixel on a later ring may still be nearer (a corner of this ring
        // is r*sqrt(2) away): stop once no later ring can beat the best.
        if (best >= 0 && bestD <= 1LL * (r + 1) * (r + 1)) break;
    }
    return best;
}

std::optional<Pixel> LineMap::ToolAfter(int line) const {
    if (line < 0) return std::nullopt;
    for (long long l = std::min<long long>(line, static_cast<long long>(end_.size()) - 1); l >= 0; --l)
        if (end_[static_cast<std::size_t>(l)].x != kNone) return end_[static_cast<std::size_t>(l)];
    return std::nullopt;
}

std::vector<Pixel> LineMap::PixelsOf(int line) const {
    std::vector<Pixel> out;
    if (line < 0) return out;
    for (int yy = 0; yy < h_; ++yy)
        for (int xx = 0; xx < w_; ++xx)
            if (owner_[static_cast<std::size_t>(yy) * w_ + static_cast<std::size_t>(xx)] == line) out.push_back({xx, yy});
    return out;
}

}  // namespace tolva
