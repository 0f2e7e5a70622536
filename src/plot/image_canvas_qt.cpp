#include "plot/image_canvas_qt.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

namespace tolva {
namespace {

// Clips the segment to the rectangle [lo, hi] x [lo2, hi2] (Liang-Barsky in
// double: the ends may lie up to a billion pixels away). False when nothing
// of it is inside.
bool clipSegment(long long& x0, long long& y0, long long& x1, long long& y1, double xlo, double xhi,
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

}  // namespace

ImageCanvas::ImageCanvas(int side) : image_(side < 1 ? 1 : side, side < 1 ? 1 : side, QImage::Format_RGB32) {
    image_.fill(Qt::white);
}

void ImageCanvas::PaintClear() { image_.fill(Qt::white); }

void ImageCanvas::Show() {
    if (onShow) onShow();
}

void ImageCanvas::PaintLine(Pixel from, Pixel to, Colour colour, int width) {
    const QRgb c = qRgb((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
    if (width <= 1) {
        thinLine(bits(), from.x, from.y, to.x, to.y, c);
        return;
    }
    // Far-off ends are brought near the image first.
    long long x0 = from.x, y0 = from.y, x1 = to.x, y1 = to.y;
    const int m = width + 2;
    if (!clipSegment(x0, y0, x1, y1, -m, image_.width() + m, -m, image_.height() + m)) return;
    QPainter p(&image_);
    p.setPen(QPen(QColor(c), width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(x0, y0), QPointF(x1, y1));
}

void ImageCanvas::PaintPolyline(Pixel from, const Pixel* points, int n, Colour colour, int width) {
    if (width > 1) {
        Canvas::PaintPolyline(from, points, n, colour, width);
        return;
    }
    const QRgb c = qRgb((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
    const Bits im = bits();
    for (int i = 0; i < n; ++i) {
        const Pixel to = points[i];
        // Most segments of a stepped arc lead to a neighbouring pixel: only
        // their first pixel is painted.
        const unsigned dx = static_cast<unsigned>(to.x - from.x + 1), dy = static_cast<unsigned>(to.y - from.y + 1);
        if (dx <= 2 && dy <= 2 && static_cast<unsigned>(from.x) < static_cast<unsigned>(im.w) &&
            static_cast<unsigned>(from.y) < static_cast<unsigned>(im.h) && static_cast<unsigned>(to.x) < static_cast<unsigned>(im.w) &&
            static_cast<unsigned>(to.y) < static_cast<unsigned>(im.h)) {
            if (to != from) im.data[from.y * im.stride + from.x] = c;
        } else {
            thinLine(im, from.x, from.y, to.x, to.y, c);
        }
        from = to;
    }
}

ImageCanvas::Bits ImageCanvas::bits() {
    // bits() on a shared image makes it the canvas's own: asked once per call, not per pixel.
    return {reinterpret_cast<QRgb*>(image_.bits()), image_.bytesPerLine() / 4, image_.width(), image_.height()};
}

void ImageCanvas::thinLine(const Bits& im, long long x0, long long y0, long long x1, long long y1, QRgb c) {
    const int w = im.w, h = im.h;
    bool paintEnd = false;
    if (x0 < 0 || y0 < 0 || x1 < 0 || y1 < 0 || x0 >= w || x1 >= w || y0 >= h || y1 >= h) {
        const long long ex = x1, ey = y1;
        if (!clipSegment(x0, y0, x1, y1, 0, w - 1, 0, h - 1)) return;
        // Where the line leaves the image, its last pixel inside is not the
        // end pixel and is painted too.
        paintEnd = x1 != ex || y1 != ey;
        if (x0 == x1 && y0 == y1) {
            im.data[y0 * im.stride + x0] = c;
            return;
        }
    }
    // Both ends are inside now, so is every pixel between them.
    QRgb* const bits = im.data;
    const qsizetype stride = im.stride;
    const long long dx = std::llabs(x1 - x0), dy = -std::llabs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    long long err = dx + dy;
    // The end pixel is left out, as a pen's line-to does.
    while (x0 != x1 || y0 != y1) {
        bits[y0 * stride + x0] = c;
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
    if (paintEnd) bits[y1 * stride + x1] = c;
}

void ImageCanvas::InvertRect(int x1, int y1, int x2, int y2) {
    QPainter p(&image_);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2), std::max(y1, y2))));
}

}  // namespace tolva

PlotImage::PlotImage(tolva::ImageCanvas& canvas, QWidget* parent) : QWidget(parent), canvas_(canvas) {
    setObjectName("Image1");
    setFixedSize(canvas.Image().size());
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setToolTip("Esc  To quit a long plot");
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlotImage::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.drawImage(0, 0, canvas_.Image());
    if (onOverlay) onOverlay(p);
}

void PlotImage::mousePressEvent(QMouseEvent* e) {
    if (onPress) onPress(e);
}
void PlotImage::mouseMoveEvent(QMouseEvent* e) {
    if (onMove) onMove(e);
}
void PlotImage::mouseReleaseEvent(QMouseEvent* e) {
    if (onRelease) onRelease(e);
}
