// The plot's view tools without a window: which line drew a pixel and where
// the tool stood (checked against the segments the interpreter drew), zoom
// about a point and fit (checked by mapping program points through the
// projection's own pixel rule), and the printed page's layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "interpreter_rig.h"
#include "plot/line_map.h"
#include "plot/plot_print.h"
#include "plot/view_navigation.h"

namespace tolva {
namespace {

// Records each segment with the line being interpreted and feeds a LineMap,
// as the plot window's canvas does.
class MappingCanvas final : public Canvas {
public:
    struct Seg {
        Pixel from, to;
        int line;
    };
    MappingCanvas(const int& line, LineMap& map) : line_(line), map_(map) {}
    std::vector<Seg> segs;

protected:
    void PaintLine(Pixel from, Pixel to, Colour, int) override {
        segs.push_back({from, to, line_});
        map_.Paint(from, to, line_);
    }
    void PaintClear() override {
        segs.clear();
        map_.Clear();
    }

private:
    const int& line_;
    LineMap& map_;
};

double distance(Pixel p, Pixel a, Pixel b) {
    const double vx = b.x - a.x, vy = b.y - a.y, wx = p.x - a.x, wy = p.y - a.y;
    const double len = vx * vx + vy * vy;
    const double t = len == 0 ? 0 : std::clamp((wx * vx + wy * vy) / len, 0.0, 1.0);
    return std::hypot(wx - t * vx, wy - t * vy);
}

TEST(PathLines, APointOnAnyDrawnSegmentFindsALineThatPassesThereAndTheToolFollowsTheLines) {
    test::InterpreterRig rig;
    LineMap map(600, 600);
    MappingCanvas canvas(rig.state.CurLine, map);
    Interpreter interp(rig.state, canvas, &rig.settings, &rig.view);
    rig.view.scaleValue = 3000;
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-60, 60);
    std::vector<std::string> lines = {"G90", "M03"};
    for (int i = 0; i < 300; ++i) {
        char buf[96];
        if (i % 7 == 3)
            std::snprintf(buf, sizeof buf, "G02 X%.2f Y%.2f R%.2f", u(rng), u(rng), 70.0);
        else if (i % 11 == 5)
            lines.push_back("( a comment line draws nothing )"), std::snprintf(buf, sizeof buf, "G00 X%.2f", u(rng));
        else
            std::snprintf(buf, sizeof buf, "G01 X%.2f Y%.2f", u(rng), u(rng));
        lines.push_back(buf);
    }
    VectorLines text(lines);
    text.MainEditor = true;
    interp.MainLineCount = static_cast<int>(lines.size());
    interp.PlotAll(text, true, true, 300, 300, rig.host);
    ASSERT_GT(canvas.segs.size(), 300u);

    int checked = 0;
    for (const auto& s : canvas.segs) {
        const Pixel mid{(s.from.x + s.to.x) / 2, (s.from.y + s.to.y) / 2};
        if (mid.x < 0 || mid.y < 0 || mid.x >= 600 || mid.y >= 600) continue;
        const int found = map.Nearest(mid.x, mid.y, 4);
        ASSERT_GE(found, 0) << "nothing near a drawn segment of line " << s.line;
        double best = 1e9;
        for (const auto& t : canvas.segs)
            if (t.line == found) best = std::min(best, distance(mid, t.from, t.to));
        EXPECT_LE(best, 1.5) << "line " << found << " found at " << mid.x << "," << mid.y << " for line " << s.line;
        ++checked;
    }
    EXPECT_GT(checked, 300);
    // Far from everything: nothing.
    EXPECT_EQ(map.Nearest(-50, -50, 4), -1);

    // The tool after each line is the end of the last segment drawn up to it.
    for (int l = 0; l < static_cast<int>(lines.size()); ++l) {
        std::optional<Pixel> expect;
        for (const auto& s : canvas.segs)
            if (s.line <= l) expect = s.to;
        const std::optional<Pixel> got = map.ToolAfter(l);
        ASSERT_EQ(got.has_value(), expect.has_value()) << l;
        if (got) EXPECT_EQ(*got, *expect) << l;
    }
}

// Pixel of a program point, as the projection places it with the view
// unrotated and the signs +1: across by Y, down by X.
Pixel pixelOf(const ViewPlace& v, double x, double y) {
    const double k = v.ScaleValue / 1000.0;
    return {static_cast<int>(std::lround(v.OriginX + y * k)), static_cast<int>(std::lround(v.OriginY + x * k))};
}

TEST(ViewNavigation, ZoomKeepsThePointUnderTheCursorAndFitPutsTheDrawingInTheView) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> pix(0, 1000), scale(100, 50000), notches(-3, 3);
    for (int i = 0; i < 500; ++i) {
        const ViewPlace now{pix(rng) - 500, pix(rng) - 500, scale(rng)};
        const int px = pix(rng), py = pix(rng);
        const int steps = notches(rng);
        const int to = WheelScale(now.ScaleValue, steps);
        if (steps > 0) EXPECT_GT(to, now.ScaleValue);
        if (steps < 0) EXPECT_LT(to, now.ScaleValue);
        const ViewPlace z = ZoomAbout(now, to, px, py);
        EXPECT_EQ(z.ScaleValue, to);
        // The program point under the cursor before the zoom...
        const double y = (px - now.OriginX) / (now.ScaleValue / 1000.0);
        const double x = (py - now.OriginY) / (now.ScaleValue / 1000.0);
        // ...is under it after (to the pixel).
        const Pixel after = pixelOf(z, x, y);
        EXPECT_LE(std::abs(after.x - px), 1) << i;
        EXPECT_LE(std::abs(after.y - py), 1) << i;
    }
    EXPECT_EQ(WheelScale(kMaxScaleValue, 1), kMaxScaleValue);
    EXPECT_EQ(WheelScale(1, -1), kMinScaleValue);
    EXPECT_EQ(WheelScale(2, 1), 3);  // the smallest values still move

    // Fit: a program box in program units, drawn at a random place and scale.
    std::uniform_real_distribution<double> unit(-200, 200), size(0.5, 300);
    const PixelRect view{30, 40, 800, 600};
    for (int i = 0; i < 500; ++i) {
        const ViewPlace now{pix(rng) - 500, pix(rng) - 500, scale(rng)};
        const double x0 = unit(rng), y0 = unit(rng), x1 = x0 + size(rng), y1 = y0 + size(rng);
        const double k = now.ScaleValue / 1000.0;
        const ViewPlace f = FitView(now, float(x0 * k), float(x1 * k), float(y0 * k), float(y1 * k), view, 20);
        const Pixel a = pixelOf(f, x0, y0), b = pixelOf(f, x1, y1);
        if (f.ScaleValue == kMaxScaleValue || f.ScaleValue == kMinScaleValue) continue;
        // Inside the view, margins kept (one pixel of rounding)...
        EXPECT_GE(a.x, view.x + 19) << i;
        EXPECT_GE(a.y, view.y + 19) << i;
        EXPECT_LE(b.x, view.x + view.w - 19) << i;
        EXPECT_LE(b.y, view.y + view.h - 19) << i;
        // ...and filling it in one direction (the scale is whole thousandths).
        const double fillX = (b.x - a.x) / double(view.w - 40), fillY = (b.y - a.y) / double(view.h - 40);
        EXPECT_GT(std::max(fillX, fillY), 0.97) << i << " scale " << f.ScaleValue;
        // Centred.
        EXPECT_LE(std::abs((a.x + b.x) - (2 * view.x + view.w)), 2) << i;
        EXPECT_LE(std::abs((a.y + b.y) - (2 * view.y + view.h)), 2) << i;
    }
}

TEST(PlotPage, TheTextNeverCoversTheImageOnAnyPage) {
    struct Page {
        int w, h, text;
    } pages[] = {{2480, 3508, 900}, {3508, 2480, 900}, {2550, 3300, 900}, {3300, 2550, 900},
                 {1000, 1000, 300}, {1000, 1100, 3000}, {5000, 1000, 200}};
    for (const Page& p : pages) {
        const PlotPageLayout l = LayoutPlotPage(p.w, p.h, p.text, 100);
        SCOPED_TRACE(std::to_string(p.w) + "x" + std::to_string(p.h));
        EXPECT_GE(l.imageX, 0);
        EXPECT_LE(l.imageX + l.imageSide, p.w);
        EXPECT_LE(l.imageY + l.imageSide, p.h);
        EXPECT_GE(l.textX, 0);
        EXPECT_LE(l.textX + l.textWidth, p.w);
        if (p.h >= p.w) {
            // Below the image, with room for all of it when the page has it.
            EXPECT_GE(l.textY, l.imageY + l.imageSide);
            if (p.h - p.text - 200 >= p.w) EXPECT_EQ(l.imageSide, p.w);
            if (p.h - p.text - 200 > 0) EXPECT_LE(l.textY + p.text, p.h);
        } else {
            // Beside it, on the left.
            EXPECT_LE(l.textX + l.textWidth, l.imageX);
            EXPECT_EQ(l.imageX + l.imageSide, p.w);
            EXPECT_GE(l.textWidth, p.w / 4 - 200);
        }
    }
}

}  // namespace
}  // namespace tolva
