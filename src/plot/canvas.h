// The surface the backplot draws on, in pixels of the plot bitmap (x across,
// y down). The pen's colour, width and position are kept here, so every
// surface behaves alike; a surface only paints lines, clears and shows.
// The plot window paints on its image; tests record the segments.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace tolva {

// 0xRRGGBB.
using Colour = std::uint32_t;
constexpr Colour kRed = 0xFF0000;    // cutting moves
constexpr Colour kBlue = 0x0000FF;   // moves after a cut-off
constexpr Colour kBlack = 0x000000;  // the highlighted block
constexpr Colour kGreen = 0x008000;
constexpr Colour kWhite = 0xFFFFFF;

struct Pixel {
    int x = 0;
    int y = 0;
    friend bool operator==(Pixel a, Pixel b) { return a.x == b.x && a.y == b.y; }
    friend bool operator!=(Pixel a, Pixel b) { return !(a == b); }
};

// Clips the segment to the rectangle [xlo, xhi] x [ylo, yhi] (Liang-Barsky
// in double: the ends may lie up to a billion pixels away), rounding the new
// ends to pixels. False when nothing of it is inside.
inline bool ClipSegment(long long& x0, long long& y0, long long& x1, long long& y1, double xlo, double xhi,
                        double ylo, double yhi) {
    const double dx = double(x1 - x0), dy = double(y1 - y0);
    double t0 = 0.0, t1 = 1.0;
    auto clip = [&](double p, double q) {
        if (p == 0.0) return q >= 0.0;
        const double r = q / p;
        if (p < 0.0) {
            if (r > t1) return false;
            if (r > t0) t0 = r;
        } else {
            if (r < t0) return false;
            if (r < t1) t1 = r;
        }
        return true;
    };
    if (!clip(-dx, double(x0) - xlo) || !clip(dx, xhi - double(x0)) || !clip(-dy, double(y0) - ylo) ||
        !clip(dy, yhi - double(y0)))
        return false;
    const double ox = double(x0), oy = double(y0);
    x0 = std::llround(ox + t0 * dx), y0 = std::llround(oy + t0 * dy);
    x1 = std::llround(ox + t1 * dx), y1 = std::llround(oy + t1 * dy);
    return true;
}

// The pixels of a one-pixel line from (x0, y0) towards (x1, y1), Bresenham's
// walk, handed to plot(x, y). The end pixel is left out, as a pen's line-to
// does.
template <class Plot>
inline void WalkLine(long long x0, long long y0, long long x1, long long y1, Plot&& plot) {
    const long long dx = std::llabs(x1 - x0), dy = -std::llabs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    long long err = dx + dy;
    while (x0 != x1 || y0 != y1) {
        plot(x0, y0);
        const long long e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

class Canvas {
public:
    virtual ~Canvas() = default;

    void SetPenColour(Colour c) { colour_ = c; }
    Colour PenColour() const { return colour_; }
    void SetPenWidth(int w) { width_ = w < 1 ? 1 : w; }
    int PenWidth() const { return width_; }
    Pixel PenPosition() const { return pos_; }

    void MoveTo(Pixel p) { pos_ = p; }
    // Paints from the pen position to p with the current pen; the pen ends at p.
    void LineTo(Pixel p) {
        PaintLine(pos_, p, colour_, width_);
        pos_ = p;
    }
    // LineTo to each of `points` in turn, in one call to the surface.
    void PolylineTo(const Pixel* points, int n) {
        if (n <= 0) return;
        PaintPolyline(pos_, points, n, colour_, width_);
        pos_ = points[n - 1];
    }
    // Whole surface to white. The pen keeps its place and settings.
    void Clear() { PaintClear(); }
    // Shows what has been painted so far (single-stepped arcs grow visibly).
    void Refresh() { Show(); }

protected:
    virtual void PaintLine(Pixel from, Pixel to, Colour colour, int width) = 0;
    virtual void PaintClear() = 0;
    virtual void Show() {}
    // From `from` through each point, as PaintLine on each segment would.
    virtual void PaintPolyline(Pixel from, const Pixel* points, int n, Colour colour, int width) {
        for (int i = 0; i < n; ++i) {
            PaintLine(from, points[i], colour, width);
            from = points[i];
        }
    }

private:
    Colour colour_ = kBlack;
    int width_ = 1;
    Pixel pos_;
};

// Draws nothing: for runs that want only the totals (and for benchmarks).
class NullCanvas final : public Canvas {
protected:
    void PaintLine(Pixel, Pixel, Colour, int) override {}
    void PaintPolyline(Pixel, const Pixel*, int, Colour, int) override {}
    void PaintClear() override {}
};

// Keeps every painted segment since the last clear, for asserting drawn
// geometry exactly.
class RecordingCanvas final : public Canvas {
public:
    struct Segment {
        Pixel from, to;
        Colour colour;
        int width;
    };
    const std::vector<Segment>& Segments() const { return segments_; }
    int Clears() const { return clears_; }
    int Refreshes() const { return refreshes_; }
    // Refreshes counted before each segment: refreshesBefore[i] for segment i.
    const std::vector<int>& RefreshesBefore() const { return refreshesBefore_; }

protected:
    void PaintLine(Pixel from, Pixel to, Colour colour, int width) override {
        segments_.push_back({from, to, colour, width});
        refreshesBefore_.push_back(refreshes_);
    }
    void PaintClear() override {
        segments_.clear();
        refreshesBefore_.clear();
        ++clears_;
    }
    void Show() override { ++refreshes_; }

private:
    std::vector<Segment> segments_;
    std::vector<int> refreshesBefore_;
    int clears_ = 0;
    int refreshes_ = 0;
};

}  // namespace tolva
