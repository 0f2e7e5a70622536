// The plot image's thin lines: a polyline paints what its segments painted
// one at a time, also where it leaves the image, comes back, or jumps far.
#include "plot/image_canvas_qt.h"

#include <random>
#include <gtest/gtest.h>

using namespace tolva;

TEST(ImageCanvas, APolylinePaintsWhatItsSegmentsPaintOneByOne) {
    std::mt19937 rng(3);
    for (int run = 0; run < 40; ++run) {
        ImageCanvas whole(60), single(60);
        const Colour colour = run % 2 ? kRed : kBlue;
        whole.SetPenColour(colour);
        single.SetPenColour(colour);
        // A walk of neighbouring pixels (the stepped arcs' case) across the
        // edges, with now and then a long jump or a far-off point.
        std::vector<Pixel> points;
        Pixel p{static_cast<int>(rng() % 60), static_cast<int>(rng() % 60)};
        whole.MoveTo(p);
        single.MoveTo(p);
        for (int i = 0; i < 3000; ++i) {
            const unsigned r = rng() % 100;
            if (r < 90) {
                p.x += static_cast<int>(rng() % 3) - 1;
                p.y += static_cast<int>(rng() % 3) - 1;
            } else if (r < 98) {
                p = {static_cast<int>(rng() % 80) - 10, static_cast<int>(rng() % 80) - 10};
            } else {
                p = {static_cast<int>(rng() % 2000000) - 1000000, static_cast<int>(rng() % 200) - 100};
            }
            if (p.x < -12 || p.x > 72 || p.y < -12 || p.y > 72) {
                if (r < 98) p = {30, 30};
            }
            points.push_back(p);
        }
        whole.PolylineTo(points.data(), static_cast<int>(points.size()));
        for (const Pixel& q : points) single.LineTo(q);
        ASSERT_EQ(whole.Image(), single.Image()) << "run " << run;
        EXPECT_EQ(whole.PenPosition(), single.PenPosition());
    }
}

TEST(ImageCanvas, ALineToLeavesItsEndPixelAndPaintsInsideOnly) {
    ImageCanvas c(10);
    c.SetPenColour(kRed);
    c.MoveTo({2, 2});
    const Pixel step[] = {{3, 2}};
    c.PolylineTo(step, 1);
    EXPECT_EQ(c.Image().pixel(2, 2) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(c.Image().pixel(3, 2) & 0xFFFFFF, 0xFFFFFFu) << "the end pixel waits for the next segment";
    c.MoveTo({-5, 5});
    c.LineTo({20, 5});  // through the image from edge to edge
    for (int x = 0; x < 10; ++x) EXPECT_EQ(c.Image().pixel(x, 5) & 0xFFFFFF, 0xFF0000u) << x;
}
