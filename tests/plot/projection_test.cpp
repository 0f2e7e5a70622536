#include "plot/projection.h"

#include <cmath>
#include <limits>
#include <gtest/gtest.h>

#include "plot_test_support.h"

using namespace tolva;
using tolva::test::PlotBench;

namespace {

Pixel endOfLast(const RecordingCanvas& c) { return c.Segments().back().to; }

}  // namespace

TEST(LINE3d, ProgramXRunsDownTheScreenAndYAcross) {
    PlotBench b;
    b.projection.LINE3d(10, 0, 0);
    ASSERT_EQ(b.canvas.Segments().size(), 1u);
    EXPECT_EQ(b.canvas.Segments()[0].from, (Pixel{100, 460}));
    EXPECT_EQ(endOfLast(b.canvas), (Pixel{100, 470}));
    b.projection.LINE3d(10, 10, 0);
    EXPECT_EQ(endOfLast(b.canvas), (Pixel{110, 470}));
    // Z does not show in the flat view.
    b.projection.LINE3d(10, 10, 50);
    EXPECT_EQ(b.canvas.Segments().size(), 2u);
}

TEST(LINE3d, PixelsAreRoundedTiesToEven) {
    PlotBench b;
    b.projection.LINE3d(0, 1.5f, 0);  // 101.5 -> 102
    EXPECT_EQ(endOfLast(b.canvas), (Pixel{102, 460}));
    b.projection.LINE3d(0, 2.5f, 0);  // 102.5 -> 102: the same pixel, nothing drawn
    EXPECT_EQ(b.canvas.Segments().size(), 1u);
    b.projection.LINE3d(-0.5f, 2.5f, 0);  // 459.5 -> 460
    EXPECT_EQ(endOfLast(b.canvas), (Pixel{102, 460}));
}

TEST(LINE3d, FirstProgramLineIsNeverDrawnNorCounted) {
    PlotBench b;
    b.TapPoints();
    b.state.CurLine = 0;
    b.projection.LINE3d(10, -20, 3);
    EXPECT_TRUE(b.canvas.Segments().empty());
    EXPECT_EQ(b.state.MaxX, 0.0f);
    EXPECT_EQ(b.state.MinY, 0.0f);
    EXPECT_TRUE(b.dxf.lines.empty());
}

TEST(LINE3d, SamePixelAsThePenDrawsNothing) {
    PlotBench b;
    b.projection.LINE3d(0.2f, 0.3f, 0);
    EXPECT_TRUE(b.canvas.Segments().empty());
    b.projection.LINE3d(5, 5, 0);
    b.projection.LINE3d(5.1f, 4.9f, 0);
    EXPECT_EQ(b.canvas.Segments().size(), 1u);
    // The pen, not an older remembered pixel, decides: after the pen is put
    // back at program zero, the same point is drawn again.
    b.canvas.MoveTo({b.state.OriginX, b.state.OriginY});
    b.projection.LINE3d(5, 5, 0);
    EXPECT_EQ(b.canvas.Segments().size(), 2u);
}

TEST(LINE3d, ExtentsTrackProgramXAndYBeforeTheRotation) {
    PlotBench b;
    b.projection.SetViewAngles(30, 40, 50);
    b.projection.LINE3d(5, -3, 100);
    b.projection.LINE3d(-2, 7, -100);
    EXPECT_EQ(b.state.MaxX, 5.0f);
    EXPECT_EQ(b.state.MinX, -2.0f);
    EXPECT_EQ(b.state.MaxY, 7.0f);
    EXPECT_EQ(b.state.MinY, -3.0f);
}

TEST(LINE3d, ThirtyThirtyThirtyTurnsAboutYThenXThenZ) {
    PlotBench b;
    b.projection.SetViewAngles(30, 30, 30);
    EXPECT_EQ(b.projection.Project(0, 0, 0), (Pixel{100, 460}));
    EXPECT_EQ(b.projection.Project(200, 0, 0), (Pixel{230, 585}));
    EXPECT_EQ(b.projection.Project(0, 200, 0), (Pixel{250, 373}));
    EXPECT_EQ(b.projection.Project(0, 0, 200), (Pixel{75, 590}));
    // A change of angle is taken at once, not from stale sines.
    b.projection.SetViewAngles(0, 0, 90);
    EXPECT_EQ(b.projection.Project(200, 0, 0), (Pixel{300, 460}));
}

TEST(LINE3d, PointsThatAreNotFiniteAreSkippedEntirely) {
    PlotBench b;
    b.TapPoints();
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    b.projection.LINE3d(nan, 1, 1);
    b.projection.LINE3d(1, inf, 1);
    b.projection.LINE3d(1, 1, -inf);
    EXPECT_TRUE(b.canvas.Segments().empty());
    EXPECT_TRUE(b.dxf.lines.empty());
    EXPECT_EQ(b.state.MaxX, 0.0f);
    // Huge but finite: drawn towards a clamped pixel, without overflow.
    b.projection.LINE3d(3e38f, -3e38f, 0);
    ASSERT_EQ(b.canvas.Segments().size(), 1u);
    EXPECT_GT(endOfLast(b.canvas).y, 1000000);
    EXPECT_LT(endOfLast(b.canvas).x, -1000000);
}

TEST(LinesOnlyDxf, RedSegmentsGoOutInProgramUnitsFromTheLastPoint) {
    PlotBench b;
    b.TapPoints();
    b.state.ViewScale = 2.0f;
    b.projection.LINE3d(20, 10, 4);
    b.projection.LINE3d(20, 30, 4);
    ASSERT_EQ(b.dxf.lines.size(), 2u);
    EXPECT_EQ(b.dxf.lines[0].x1, 0.0f);
    EXPECT_EQ(b.dxf.lines[0].x2, 10.0f);
    EXPECT_EQ(b.dxf.lines[0].y2, 5.0f);
    EXPECT_EQ(b.dxf.lines[0].z2, 2.0f);
    EXPECT_EQ(b.dxf.lines[1].x1, 10.0f);
    EXPECT_EQ(b.dxf.lines[1].y1, 5.0f);
    EXPECT_EQ(b.dxf.lines[1].y2, 15.0f);
}

TEST(LinesOnlyDxf, BlueMovesOnlyWithWriteBlueLineAndNeverOnAFullExport) {
    PlotBench b;
    b.TapPoints();
    b.canvas.SetPenColour(kBlue);
    b.projection.LINE3d(5, 0, 0);  // not written, but the chain moves on
    b.projection.Settings.WriteBlueLine = true;
    b.projection.LINE3d(5, 5, 0);
    ASSERT_EQ(b.dxf.lines.size(), 1u);
    EXPECT_EQ(b.dxf.lines[0].x1, 5.0f);
    EXPECT_EQ(b.dxf.lines[0].y2, 5.0f);
    b.state.DxfLinesOnly = false;  // the interpreter writes a full export itself
    b.projection.LINE3d(6, 0, 0);
    EXPECT_EQ(b.dxf.lines.size(), 1u);
}

TEST(Drawxyz, SixLegsInAxisColoursAtTheBottomLeftWithoutSideEffects) {
    PlotBench b;
    b.TapPoints();
    b.state.CurLine = 0;
    b.canvas.SetPenColour(kBlue);
    b.canvas.SetPenWidth(1);
    b.projection.SetViewAngles(0, 45, 0);  // Y and Z both show across
    b.projection.Drawxyz(800);

    const auto& s = b.canvas.Segments();
    ASSERT_EQ(s.size(), 6u);
    const Pixel o{40, 770};
    // Signs -1: X up, Y left, Z right (the view turns both half-way).
    EXPECT_EQ(s[0].from, o);
    EXPECT_EQ(s[0].to, (Pixel{40, 745}));
    EXPECT_EQ(s[1].to, o);
    EXPECT_EQ(s[2].to, (Pixel{22, 770}));
    EXPECT_EQ(s[4].to, (Pixel{58, 770}));
    EXPECT_EQ(s[0].colour, kRed);
    EXPECT_EQ(s[1].colour, kRed);
    EXPECT_EQ(s[2].colour, kGreen);
    EXPECT_EQ(s[5].colour, kBlue);
    for (const auto& seg : s) EXPECT_EQ(seg.width, 2);

    EXPECT_TRUE(b.dxf.lines.empty());
    EXPECT_EQ(b.state.MaxX, 0.0f);
    EXPECT_EQ(b.state.MinY, 0.0f);
    EXPECT_EQ(b.state.CurLine, 0);
    EXPECT_EQ(b.state.OriginX, 100);
    EXPECT_EQ(b.state.OriginY, 460);
    EXPECT_EQ(b.canvas.PenColour(), kBlue);
    EXPECT_EQ(b.canvas.PenWidth(), 1);
}

TEST(ViewScale, KeepsTheVisibleCentreOnTheSameProgramPoint) {
    PlotBench b;
    const VisibleArea area{800, 600, 0, 0, 40};  // centre at (400, 300 + 40 + 25)
    b.projection.TakeViewScale(2000, area);       // from exactly 1.0: no re-centring
    EXPECT_EQ(b.state.ViewScale, 2.0f);
    EXPECT_EQ(b.state.OriginX, 100);
    EXPECT_EQ(b.state.OriginY, 460);

    b.projection.TakeViewScale(4000, area);
    EXPECT_EQ(b.state.ViewScale, 4.0f);
    EXPECT_EQ(b.state.OriginX, -200);  // (400 - 100) / 2 = (400 + 200) / 4
    EXPECT_EQ(b.state.OriginY, 555);   // (365 - 460) / 2 = (365 - 555) / 4

    b.projection.TakeViewScale(4000, area);  // unchanged
    EXPECT_EQ(b.state.OriginX, -200);
}

TEST(ViewScale, PreviousRestoreSkipsTheCentringOnce) {
    PlotBench b;
    const VisibleArea area{800, 600, 50, 70, 40};
    b.state.ViewScale = 2.0f;
    b.projection.PreviousRestored = true;
    b.projection.TakeViewScale(8000, area);
    EXPECT_EQ(b.state.OriginX, 100);
    EXPECT_FALSE(b.projection.PreviousRestored);
    b.projection.TakeViewScale(4000, area);
    EXPECT_NE(b.state.OriginX, 100);
    b.projection.TakeViewScale(0, area);  // not a scale: taken as 1
    EXPECT_EQ(b.state.ViewScale, 0.001f);
}

TEST(GetIncrement, ChordOfAboutPPixelsFromFiveUpAndShorterBelow) {
    const float r = 99.9999f;  // r + 0.0001 = 100
    EXPECT_NEAR(GetIncrement(r, 1), 1.0 / 100 / 5, 1e-7);
    EXPECT_NEAR(GetIncrement(r, 4), 4.0 / 100 / 2, 1e-7);
    EXPECT_NEAR(GetIncrement(r, 5), 5.0 / 100, 1e-7);
    EXPECT_NEAR(GetIncrement(r, 20), 20.0 / 100, 1e-7);
}
