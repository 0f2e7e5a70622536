// Colouring by the machine's codes, and the units in force at the caret.
#include "text/gcode_highlight.h"

#include <gtest/gtest.h>

#include "text/program_units.h"

namespace tolva {
namespace {

// One letter per byte: . plain, M motion, A arc, C cut, # comment, N line
// number, X axis word.
std::string styled(std::string_view line, const HighlightCodes& codes) {
    std::vector<HighlightStyle> s;
    HighlightLine(line, codes, s);
    const char* letters = ".MAC#NX";
    std::string out;
    for (HighlightStyle h : s) out += letters[static_cast<int>(h)];
    return out;
}

HighlightCodes mill() {
    HighlightCodes c;
    c.motion = {"G01", "G00"};
    c.arc = {"G02", "G03"};
    c.cut = {"M03", "M05"};
    c.commentStart = "(";
    c.commentEnd = ")";
    c.lineLetter = "N";
    c.axisLetters = {"X", "Y", "Z", "I", "J", "K", "R"};
    return c;
}

TEST(Highlight, CodesWordsAndCommentsComeFromTheTableGiven) {
    const HighlightCodes m = mill();
    EXPECT_EQ(styled("N10 G01 X1.5 Y-2 (G02 X9) M03", m), "NNN.MMM.XXXX.XXX.########.CCC");
    EXPECT_EQ(styled("G03 X0 Y0 I-.5 J+1 R2", m), "AAA.XX.XX.XXXX.XXX.XX");
    // A comment left open runs to the line's end; letters without a number
    // and letters inside words are plain.
    EXPECT_EQ(styled("MAX X (open G01", m), "......#########");
    // Another machine: its own codes, nothing of the mill's.
    HighlightCodes torch;
    torch.motion = {"L"};
    torch.cut = {"T+", "T-"};
    torch.commentStart = "[";
    torch.commentEnd = "]";
    torch.lineLetter = "#";
    torch.axisLetters = {"U", "V"};
    EXPECT_EQ(styled("#5 L U1 V2 T+ G01 X1 [T-]", torch), "NN.M.XX.XX.CC........####");
    // Codes are matched as the interpreter matches them: whole codes, by
    // value ("G1" is "G01"), not the start of a longer number.
    EXPECT_EQ(styled("G0101 G1 X2", m), "......MM.XX");
    // Empty codes match nothing.
    EXPECT_EQ(styled("G01 X1 (c)", HighlightCodes{}), "..........");
}

TEST(Units, TheLastCodeBeforeTheCaretLineEndIsInForce) {
    EXPECT_EQ(UnitsInForce("G21\nG01 X1\n", "G20", "G21"), Units::Metric);
    EXPECT_EQ(UnitsInForce("G21\nG20 G01 X1", "G20", "G21"), Units::Inch);
    EXPECT_EQ(UnitsInForce("G01 X1", "G20", "G21"), Units::Unknown);
    EXPECT_EQ(UnitsInForce("G21 G20", "", "G21"), Units::Metric);
    EXPECT_EQ(UnitsText(Units::Inch, "G20", "G21"), "Units: inch (G20)");
    EXPECT_EQ(UnitsText(Units::Metric, "G20", "G21"), "Units: mm (G21)");
    EXPECT_EQ(UnitsText(Units::Unknown, "G70", "G71"), "Units: not set (G70/G71)");
    EXPECT_EQ(UnitsText(Units::Unknown, "", ""), "Units: no codes in machine file");
}

}  // namespace
}  // namespace tolva
