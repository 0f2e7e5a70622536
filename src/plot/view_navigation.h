// The arithmetic of moving the plot's view: zoom about a pixel and fit the
// drawing to the visible part of the canvas. Pixels of the canvas (x across,
// y down); scale values as the "View Scale" field holds them (pixels per
// program unit x 1000, 1..999999). With the view unrotated, the program's Y
// runs across (pixel x = OriginX + scaled Y) and its X down.
#pragma once

namespace tolva {

constexpr int kMinScaleValue = 1;
constexpr int kMaxScaleValue = 999999;

struct ViewPlace {
    int OriginX = 0, OriginY = 0;  // pixel of program zero
    int ScaleValue = 1000;
};

// The scale value becomes `newScale` (clamped to the field's range) and the
// program point under pixel (px, py) stays under it.
ViewPlace ZoomAbout(const ViewPlace& now, int newScale, int px, int py);

// The scale value after one wheel notch in (`steps` > 0) or out: x1.25 per
// notch, at least one step of the value.
int WheelScale(int scale, int steps);

struct PixelRect {
    int x = 0, y = 0, w = 0, h = 0;
};

// Extents of the drawing in scaled units at `now.ScaleValue` (as the plot
// leaves MinX..MaxX, MinY..MaxY). The drawing is scaled and centred in
// `view`, leaving `margin` pixels on every side; a drawing of no size keeps
// the scale and is centred. A scale out of the field's range is clamped.
ViewPlace FitView(const ViewPlace& now, float minX, float maxX, float minY, float maxY, const PixelRect& view,
                  int margin);

}  // namespace tolva
