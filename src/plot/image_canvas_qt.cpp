#include "plot/image_canvas_qt.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <utility>

namespace tolva {
ImageCanvas::ImageCanvas(int side) : image_(side < 1 ? 1 : side, side < 1 ? 1 : side, QImage::Format_RGB32) {
    image_.fill(Qt::white);
}

void ImageCanvas::PaintClear() {
    image_.fill(Qt::white);
    if (lineMap) lineMap->Clear();
}

void ImageCanvas::mapSegment(Pixel from, Pixel to, Colour colour, int width) {
    // The axis indicator is drawn two pixels wide in red, green and blue;
    // the only other wide pen is the highlighted block's black one.
    if (!lineMap || !currentLine || (width > 1 && colour != kBlack)) return;
    lineMap->Paint(from, to, *currentLine);
}

void ImageCanvas::Show() {
    if (onShow) onShow();
}

void ImageCanvas::PaintLine(Pixel from, Pixel to, Colour colour, int width) {
    mapSegment(from, to, colour, width);
    const QRgb c = qRgb((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
    if (width <= 1) {
        thinLine(bits(), from.x, from.y, to.x, to.y, c);
        return;
    }
    // Far-off ends are brought near the image first.
    long long x0 = from.x, y0 = from.y, x1 = to.x, y1 = to.y;
    const int m = width + 2;
    if (!ClipSegment(x0, y0, x1, y1, -m, image_.width() + m, -m, image_.height() + m)) return;
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
        if (lineMap) mapSegment(from, to, colour, width);
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
        if (!ClipSegment(x0, y0, x1, y1, 0, w - 1, 0, h - 1)) return;
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
    WalkLine(x0, y0, x1, y1, [&](long long x, long long y) { bits[y * stride + x] = c; });
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
    p.drawImage(DragOffset, canvas_.Image());
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
void PlotImage::wheelEvent(QWheelEvent* e) {
    if (!onWheel) {
        QWidget::wheelEvent(e);
        return;
    }
    onWheel(e);
    e->accept();
}
