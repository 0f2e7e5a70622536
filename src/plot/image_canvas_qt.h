// The plot canvas on a QImage, and the widget that shows it (`Image1`).
//
// Pixels: x across, y down, (0, 0) the image's top-left corner. Lines of
// width 1 are painted directly into the image bits (a plot of a million
// lines paints millions of short segments); wider pens go through QPainter.
// Nothing here repaints the screen by itself: Show() asks the widget to.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

#include "plot/canvas.h"
#include "plot/line_map.h"

class QMouseEvent;
class QPainter;
class QWheelEvent;

namespace tolva {

class ImageCanvas final : public Canvas {
public:
    // A white square image of `side` pixels.
    explicit ImageCanvas(int side);
    QImage& Image() { return image_; }
    const QImage& Image() const { return image_; }
    // Called by Refresh(): show what has been painted (may be empty).
    std::function<void()> onShow;

    // The zoom box: a rectangle outline drawn with an inverting pen, so
    // drawing it twice erases it.
    void InvertRect(int x1, int y1, int x2, int y2);

    // When set, every segment painted is also entered in `lineMap` for the
    // line `*currentLine` names (the axis indicator excepted).
    LineMap* lineMap = nullptr;
    const int* currentLine = nullptr;

protected:
    void PaintLine(Pixel from, Pixel to, Colour colour, int width) override;
    void PaintPolyline(Pixel from, const Pixel* points, int n, Colour colour, int width) override;
    void PaintClear() override;
    void Show() override;

private:
    void mapSegment(Pixel from, Pixel to, Colour colour, int width);
    struct Bits {
        QRgb* data;
        qsizetype stride;  // pixels per row
        int w, h;
    };
    Bits bits();
    static void thinLine(const Bits& im, long long x0, long long y0, long long x1, long long y1, QRgb c);
    QImage image_;
};

}  // namespace tolva

// Shows the canvas image at its natural size and hands mouse events on.
class PlotImage : public QWidget {
    Q_OBJECT
public:
    PlotImage(tolva::ImageCanvas& canvas, QWidget* parent = nullptr);
    std::function<void(QMouseEvent*)> onPress, onMove, onRelease;
    // The wheel over the canvas: consumed here, so the scroll box does not
    // scroll under a zoom.
    std::function<void(QWheelEvent*)> onWheel;
    // While the view is dragged, the image is shown moved by this many pixels.
    QPoint DragOffset;
    // Paints over the image on the screen only (the rubber-band figures of
    // interactive drawing): never part of the canvas, so never printed.
    std::function<void(QPainter&)> onOverlay;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    tolva::ImageCanvas& canvas_;
};
