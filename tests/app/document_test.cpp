#include "app/document.h"

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

TEST(Indicator, PositionTextAndBlock) {
    // Caret at the very start of line 5 (index 4), nothing selected.
    BlockPosition b = ShowLineNumText(4, 3, 0);
    EXPECT_EQ(b.text, "  Pos [5:1]   Sel : [0]   ");
    EXPECT_EQ(b.selStartLine, 3);
    EXPECT_EQ(b.selLineCount, 0);
    BlockPosition first = ShowLineNumText(0, 2, 3);
    EXPECT_EQ(first.selStartLine, -1);
    EXPECT_EQ(first.selLineCount, 3);
}

TEST(PrintHeader, PageNumberComesFromTheLineIndex) {
    auto h = PrintHeaderLines(0, "12/7/26", "21:30:00", "/w/p.nc");
    ASSERT_EQ(h.size(), 5u);
    EXPECT_EQ(h[0], " ");
    EXPECT_EQ(h[1], "           Page : 1");
    EXPECT_EQ(h[3], "           Date : 12/7/26    Time : 21:30:00    File : /w/p.nc");
    EXPECT_EQ(PrintHeaderLines(60, "", "", "")[1], "           Page : 2");
    EXPECT_EQ(PrintHeaderLines(100, "", "", "")[1], "           Page : 3");
}

TEST(WordOrderPass, EveryLineIsRebuilt) {
    std::vector<std::string> lines = {"G01 X1 N10 M3 F100", "X2 G00", ""};
    OrderAllLinesMFirst(lines, Letters{});
    EXPECT_EQ(lines, (std::vector<std::string>{"N10 G01 M3 X1 F100", "G00 X2 ", ""}));
    OrderAllLinesMLast(lines, Letters{});
    EXPECT_EQ(lines[0], "N10 G01 X1 M3 F100");
}

TEST(WordOrderPass, LinesLongerThan255AreOrderedWhole) {
    const std::string comment = "(" + std::string(300, 'C') + ")";
    std::vector<std::string> lines = {"Y2 X1 " + comment + " Z9", "Y2 X1 (SHORT)"};
    OrderAllLinesMFirst(lines, Letters{});
    EXPECT_EQ(lines, (std::vector<std::string>{"X1 Y2 Z9 " + comment, "X1 Y2 (SHORT)"}));
    OrderAllLinesMLast(lines, Letters{});
    EXPECT_EQ(lines[0], "X1 Y2 Z9 " + comment);
}
