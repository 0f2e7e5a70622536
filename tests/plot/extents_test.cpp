#include "plot/extents.h"

#include <gtest/gtest.h>

using namespace tolva;

TEST(Extents, TheOriginAlwaysCounts) {
    Extents e = MeasureExtents(std::vector<std::string>{"G00 X2 Y-1", "G01 X4 Y1", "G01 X3"}, Letters{});
    EXPECT_FLOAT_EQ(e.xSize, 4.0f);
    EXPECT_FLOAT_EQ(e.ySize, 2.0f);
    EXPECT_EQ(ScaleForExtents(e, 800), 800 / 4 * 500);
    // The raw-text pass reads the same, whatever the line ends.
    Extents raw = MeasureExtents(std::string_view("G00 X2 Y-1\r\nG01 X4 Y1\rG01 X3"), Letters{});
    EXPECT_EQ(raw.xSize, e.xSize);
    EXPECT_EQ(raw.ySize, e.ySize);
}

TEST(Extents, NoWordsLeaveTheScaleAlone) {
    Extents e = MeasureExtents(std::string_view("%\nM30\r\n"), Letters{});
    EXPECT_EQ(ScaleForExtents(e, 800), 0);
}

TEST(Extents, ScaleRoundsHalfToEven) {
    Extents e;
    e.xSize = 8000;  // 1 / 8000 * 500 = 0.0625 per pixel
    EXPECT_EQ(ScaleForExtents(e, 40), 2);   // 2.5 -> 2
    EXPECT_EQ(ScaleForExtents(e, 56), 4);   // 3.5 -> 4
}

TEST(Extents, CommentsDoNotCount) {
    Extents e = MeasureExtents(std::vector<std::string>{"G01 X4 Y2 (X50 Y-80)", "(CHECK X900)"}, Letters{});
    EXPECT_FLOAT_EQ(e.xSize, 4.0f);
    EXPECT_FLOAT_EQ(e.ySize, 2.0f);
    EXPECT_EQ(ScaleForExtents(e, 800), 800 / 4 * 500);
}

TEST(Extents, ScaleStaysWithinTheViewScaleField) {
    auto scaleFor = [](std::vector<std::string> lines) { return ScaleForExtents(MeasureExtents(lines, Letters{}), 800); };
    // Programs write no exponents: every digit.
    auto e = [](const char* m, int n) { return std::string(m) + std::string(static_cast<std::size_t>(n), '0'); };
    EXPECT_EQ(scaleFor({"X3000000000 Y4000000000"}), 1);  // 800 / 4e9 * 500 = 0.0001
    EXPECT_EQ(scaleFor({"X" + e("1", 30)}), 1);
    EXPECT_EQ(scaleFor({"X" + e("3", 38), "X-" + e("3", 38)}), 1);  // the size is beyond a float
    EXPECT_EQ(scaleFor({"X0.0001"}), 999999);                        // 4e9
    EXPECT_EQ(scaleFor({"X0." + e("", 39) + "1"}), 999999);          // beyond a 64-bit integer
    EXPECT_EQ(scaleFor({"X" + e("1", 99) + " Y2"}), 800 / 2 * 500);  // no float holds it: it counts 0
}

TEST(Extents, LettersInForceAreUsed) {
    Letters swapped;
    swapped.X = "Y";
    swapped.Y = "X";
    Extents e = MeasureExtents(std::vector<std::string>{"X5 Y-3"}, swapped);
    EXPECT_FLOAT_EQ(e.maxX, 0.0f);
    EXPECT_FLOAT_EQ(e.minX, -3.0f);
    EXPECT_FLOAT_EQ(e.maxY, 5.0f);
}
