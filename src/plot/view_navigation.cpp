#include "plot/view_navigation.h"

#include <algorithm>
#include <cmath>

namespace tolva {

namespace {

int clampScale(long double v) {
    if (!(v >= kMinScaleValue)) return kMinScaleValue;
    if (v > kMaxScaleValue) return kMaxScaleValue;
    return static_cast<int>(std::nearbyint(v));
}

// Origins stay well inside int, as the keyboard pan keeps them.
int clampOrigin(long double v) { return static_cast<int>(std::nearbyint(std::clamp(v, -1.0e9L, 1.0e9L))); }

}  // namespace

ViewPlace ZoomAbout(const ViewPlace& now, int newScale, int px, int py) {
    ViewPlace out = now;
    out.ScaleValue = clampScale(newScale);
    const int old = std::max(now.ScaleValue, kMinScaleValue);
    const long double k = static_cast<long double>(out.ScaleValue) / old;
    out.OriginX = clampOrigin(px - k * (px - now.OriginX));
    out.OriginY = clampOrigin(py - k * (py - now.OriginY));
    return out;
}

int WheelScale(int scale, int steps) {
    long double v = std::max(scale, kMinScaleValue);
    for (int i = 0; i < std::abs(steps) && i < 100; ++i) {
        const long double next = steps > 0 ? v * 1.25L : v / 1.25L;
        // Small values still move by at least one.
        v = std::nearbyint(next) == v ? v + (steps > 0 ? 1 : -1) : std::nearbyint(next);
    }
    return clampScale(v);
}

ViewPlace FitView(const ViewPlace& now, float minX, float maxX, float minY, float maxY, const PixelRect& view,
                  int margin) {
    ViewPlace out = now;
    const long double across = static_cast<long double>(maxY) - minY;  // pixels now
    const long double down = static_cast<long double>(maxX) - minX;
    const long double roomX = std::max(1, view.w - 2 * margin), roomY = std::max(1, view.h - 2 * margin);
    long double k = 1.0L;
    if (across > 0 || down > 0) {
        k = std::min(across > 0 ? roomX / across : 1.0e30L, down > 0 ? roomY / down : 1.0e30L);
        out.ScaleValue = clampScale(std::max(now.ScaleValue, kMinScaleValue) * k);
        k = static_cast<long double>(out.ScaleValue) / std::max(now.ScaleValue, kMinScaleValue);
    }
    const long double cx = view.x + view.w / 2.0L, cy = view.y + view.h / 2.0L;
    out.OriginX = clampOrigin(cx - k * (static_cast<long double>(minY) + maxY) / 2.0L);
    out.OriginY = clampOrigin(cy - k * (static_cast<long double>(minX) + maxX) / 2.0L);
    return out;
}

}  // namespace tolva
