#include "plot/modifiers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "settings/label_table.h"
#include "text/gcode_words.h"

using namespace tolva;
using Lines = std::vector<std::string>;

namespace {

// A mill's codes, signs +1 unless asked.
AxisCodes MillCodes(bool swapXY = false) {
    LabelTable t;
    const std::pair<int, const char*> cells[] = {
        {LabelRow::FileStart, "%"},      {LabelRow::ArcCw, "G02"},         {LabelRow::ArcCcw, "G03"},
        {LabelRow::KerfCompLeft, "G41"}, {LabelRow::KerfCompRight, "G42"}, {LabelRow::Absolute, "G90"},
        {LabelRow::Incremental, "G91"},  {LabelRow::FileEnd, "M30"},       {LabelRow::NLetter, "N"},
        {LabelRow::RLetter, "R"},        {LabelRow::ILetter, "I"},         {LabelRow::JLetter, "J"},
        {LabelRow::KLetter, "K"},        {LabelRow::XLetter, "X"},         {LabelRow::YLetter, "Y"},
        {LabelRow::ZLetter, "Z"}};
    for (auto& [row, code] : cells) t.SetCell(1, row, code);
    AxisCodes c = MakeAxisCodes(t, swapXY, false);
    c.xSign = c.ySign = c.zSign = 1;
    return c;
}

ModifierSettings Four(double amount = 5.0) {
    ModifierSettings s;
    s.decimals = 4;
    s.amount = amount;
    return s;
}

Lines run(char mode, Lines lines, const ModifierSettings& s = Four(), RecordingHost* host = nullptr,
          const AxisCodes& codes = MillCodes()) {
    RecordingHost own;
    SLIDE2(mode, lines, codes, s, host ? *host : own);
    return lines;
}

std::string num(long long tenThousandths) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4f", static_cast<double>(tenThousandths) / 10000.0);
    return buf;
}

// An absolute program as the modifiers write it (so a round trip can give
// back the very text): moves in X, Y and Z and arcs with absolute centres,
// coordinates within +-1000, 4 decimals.
Lines AbsoluteProgram(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<long long> c(-10000000, 10000000);
    Lines out{"G90 G00 X0.0000 Y0.0000"};
    for (std::size_t k = 1; k < n; ++k) {
        switch (rng() % 4) {
            case 0: out.push_back("G01 X" + num(c(rng)) + " Y" + num(c(rng)) + " F500"); break;
            case 1: out.push_back("G01 X" + num(c(rng)) + " Y" + num(c(rng)) + " Z" + num(c(rng) / 100)); break;
            case 2: out.push_back("G02 X" + num(c(rng)) + " Y" + num(c(rng)) + " I" + num(c(rng)) + " J" + num(c(rng))); break;
            default: out.push_back("G03 Y" + num(c(rng)) + " (ONLY Y)"); break;
        }
    }
    return out;
}

// Whether every word of `original` (G, X, Y, Z, I, J, K) is in `changed`
// line for line with the very same text; `changed` may have more words.
::testing::AssertionResult SameWords(const Lines& original, const Lines& changed, bool withG = true) {
    if (original.size() != changed.size()) return ::testing::AssertionFailure() << "line counts differ";
    for (std::size_t k = 0; k < original.size(); ++k) {
        const SplitLine a = SplitWords(original[k], Letters{});
        const SplitLine b = SplitWords(changed[k], Letters{});
        const std::string SplitLine::*words[] = {&SplitLine::G, &SplitLine::X, &SplitLine::Y, &SplitLine::Z,
                                                 &SplitLine::I, &SplitLine::J, &SplitLine::K};
        for (auto w : words) {
            if (w == &SplitLine::G && !withG) continue;
            if (!(a.*w).empty() && a.*w != b.*w)
                return ::testing::AssertionFailure() << "line " << k << ": " << original[k] << " | " << changed[k];
        }
    }
    return ::testing::AssertionSuccess();
}

double value(const std::string& line, const char* letter) {
    SplitLine w = SplitWords(line, Letters{});
    const std::string* words[] = {&w.X, &w.Y, &w.Z, &w.I, &w.J};
    const char* names = "XYZIJ";
    for (int i = 0; i < 5; ++i)
        if (names[i] == letter[0]) {
            double v = 0;
            EXPECT_TRUE(ReadNumberText(std::string_view(*words[i]).substr(1), v)) << line;
            return v;
        }
    return NAN;
}

}  // namespace

TEST(Modifiers, FlipTwiceFlopTwiceAndSlideThereAndBackReturnTheProgram) {
    const Lines p = AbsoluteProgram(2000, 7);
    EXPECT_TRUE(SameWords(p, run(Modifier::Flip, run(Modifier::Flip, p))));
    EXPECT_TRUE(SameWords(p, run(Modifier::Flop, run(Modifier::Flop, p))));
    EXPECT_TRUE(SameWords(p, run(Modifier::Down, run(Modifier::Up, p, Four(37.1234)), Four(37.1234))));
    EXPECT_TRUE(SameWords(p, run(Modifier::UpLeft, run(Modifier::DownRight, p, Four(99.9999)), Four(99.9999))));
    EXPECT_TRUE(SameWords(p, run(Modifier::DownLeft, run(Modifier::UpRight, p, Four(0.0001)), Four(0.0001))));
    // One pass does change the words (and the arc directions).
    EXPECT_FALSE(SameWords(p, run(Modifier::Flip, p)));
    EXPECT_FALSE(SameWords(p, run(Modifier::Flop, p)));
    EXPECT_FALSE(SameWords(p, run(Modifier::Up, p, Four(0.0001))));
}

TEST(Modifiers, ToIncrementalAndBackGivesEveryNumberExactly) {
    const Lines p = AbsoluteProgram(10000, 11);
    RecordingHost host;
    Lines inc = p;
    ModifierResult r = ConvertToIncremental(inc, MillCodes(), Four(), host);
    ASSERT_FALSE(r.refused) << r.message;
    EXPECT_EQ(inc[0], "G91 X0.0000 Y0.0000 G00");
    Lines back = inc;
    r = ConvertToAbsolute(back, MillCodes(), Four(), host);
    ASSERT_FALSE(r.refused) << r.message;
    EXPECT_EQ(host.beeps, 0);
    EXPECT_TRUE(SameWords(p, back, false));
    EXPECT_FALSE(SameWords(p, inc, false));
}

TEST(Modifiers, SpinThereAndBackIsWithinOneUnitOfTheLastDecimal) {
    // Each pass rounds to the 4 decimals written; turned back, a point may
    // land one unit away, never more.
    const Lines p = AbsoluteProgram(3000, 5);
    for (double degrees : {30.0, 90.0, -45.5, 100.0}) {
        const Lines back = run(Modifier::Spin, run(Modifier::Spin, p, Four(degrees)), Four(-degrees));
        ASSERT_EQ(back.size(), p.size());
        for (std::size_t k = 0; k < p.size(); ++k) {
            // A line without X turns its Y word alone (the omitted axis keeps its text).
            if (p[k].find('X') == std::string::npos) continue;
            for (const char* a : {"X", "Y", "I", "J"}) {
                if (p[k].find(a) == std::string::npos) continue;
                ASSERT_LE(std::fabs(value(back[k], a) - value(p[k], a)), 1.0001e-4) << degrees << " " << k;
            }
        }
    }
    // A quarter turn about the origin takes (1, 0) to (0, 1) and turns the centre too.
    EXPECT_EQ(run(Modifier::Spin, {"G02 X1 Y0 I2 J0"}, Four(90)), (Lines{"G02 X0.0000 Y1.0000 I0.0000 J2.0000"}));
}

TEST(Modifiers, ToAbsoluteCarriesZFromLineToLine) {
    RecordingHost host;
    Lines p{"G91", "G01 X1 Z-1", "G01 X1 Z-1", "G01 Z-0.5", "G01 X1"};
    ConvertToAbsolute(p, MillCodes(), Four(), host);
    EXPECT_EQ(p, (Lines{"G90 ", "G01 X1.0000 Z-1.0000", "G01 X2.0000 Z-2.0000", "G01  Z-2.5000", "G01 X3.0000"}));
}

TEST(Modifiers, NumbersAreWrittenWithTheDecimalsAndNoLineNumbers) {
    EXPECT_EQ(run(Modifier::Size, {"N10 G01 X1.25 Y-0.125 R2 (CUT)", "N20 M05"}, [] {
                  ModifierSettings s = Four();
                  s.factor = 2.0;
                  return s;
              }()),
              (Lines{"G01 X2.5000 Y-0.2500 R4.0000 (CUT)", "M05 "}));
    ModifierSettings s = Four(0.00004);
    EXPECT_EQ(run(Modifier::Up, {"X0 Y0"}, s), (Lines{"X0.0000 Y0.0000"}));  // no "-0.0000"
    s.decimals = 2;
    EXPECT_EQ(run(Modifier::Down, {"G00 X12345.678 Y99999999"}, s), (Lines{"G00 X12345.68 Y99999999.00"}));
}

TEST(Modifiers, TheSlideAmountAndSizeFactorAreCorrected) {
    EXPECT_EQ(CorrectAmount("150").value, 100.0);
    EXPECT_EQ(CorrectAmount("150").shown, "100.0");
    EXPECT_EQ(CorrectAmount("abc").value, 1.0);
    EXPECT_EQ(CorrectAmount("abc").shown, "1.000");
    EXPECT_EQ(CorrectAmount("1e999").shown, "1.000");
    EXPECT_EQ(CorrectAmount(" -2.5").value, -2.5);
    EXPECT_TRUE(CorrectAmount("100").shown.empty());
}

TEST(Modifiers, FlipAndFlopExchangeEveryArcCodeAndTheCompensationCodesAsTheTableWritesThem) {
    ModifierSettings s = Four();
    EXPECT_EQ(run(Modifier::Flip, {"G02 X1 Y1 I0 J1", "G41 G02 X1 Y2", "G03X1Y1", "G21 G28 G17 G2 X1 (G02)"}, s),
              (Lines{"G03 X1.0000 Y-1.0000 I0.0000 J-1.0000", "G42 X1.0000 Y-2.0000 G03", "G02 X1.0000 Y-1.0000",
                     "G21 X1.0000 G28G17G03(G02)"}));
    EXPECT_EQ(run(Modifier::Flop, {"G42 X1"}, s), (Lines{"G41 X-1.0000"}));
    // The shipped mill writes its compensation codes with their D word.
    AxisCodes mill = MillCodes();
    mill.codes[LabelRow::KerfCompLeft] = "G41D01";
    mill.codes[LabelRow::KerfCompRight] = "G42D01";
    EXPECT_EQ(run(Modifier::Flip, {"G00 G41 D01 X1 Y1"}, s, nullptr, mill), (Lines{"G00 X1.0000 Y-1.0000 G42D01"}));
    // Mirroring Y keeps the turn of an arc in the XZ plane, mirroring X keeps one in YZ.
    mill.codes[LabelRow::XZPlane] = "G18";
    mill.codes[LabelRow::YZPlane] = "G19";
    EXPECT_EQ(run(Modifier::Flip, {"G18 G02 X1 Z1 I1"}, s, nullptr, mill), (Lines{"G18 X1.0000 Z1.0000 I1.0000 G02"}));
    EXPECT_EQ(run(Modifier::Flop, {"G19 G02 Y1 Z1 J1"}, s, nullptr, mill), (Lines{"G19  Y1.0000 Z1.0000 J1.0000 G02"}));
}

TEST(Modifiers, AWordLeftOutIsWrittenWhenTheTransformMovesIt) {
    ModifierSettings s = Four(90);
    // Spin: "G01 Y4" after (1, 5) is (1, 4), which a quarter turn takes to (-4, 1).
    EXPECT_EQ(run(Modifier::Spin, {"G01 X1 Y5", "G01 Y4", "G03 X2 Y3 I1"}, s),
              (Lines{"G01 X-5.0000 Y1.0000", "G01 X-4.0000 Y1.0000", "G03 X-3.0000 Y2.0000 I0.0000 J1.0000"}));
    // A flip does not move a left-out X; the first slide of a program moves it from the origin.
    EXPECT_EQ(run(Modifier::Flip, {"G01 X1 Y5", "G01 Y4", "G01 X3"}, s),
              (Lines{"G01 X1.0000 Y-5.0000", "G01  Y-4.0000", "G01 X3.0000"}));
    EXPECT_EQ(run(Modifier::Right, {"G00 Z5", "G01 X1"}, Four(2)), (Lines{"G00  Y2.0000 Z5.0000", "G01 X1.0000"}));
}

TEST(Modifiers, IncrementalStretchesHoldVectors) {
    const Lines p{"G90 G00 X10 Y10", "G01 X20", "G91 G01 X5 Y1", "G02 X2 Y0 I1 J0", "G90 G01 X0 Y0", "G91 Z0. G28"};
    // A slide leaves the increments alone and moves the absolute points.
    EXPECT_EQ(run(Modifier::Right, p, Four(3)),
              (Lines{"G90 X10.0000 Y13.0000 G00", "G01 X20.0000", p[2], p[3], "G90 X0.0000 Y3.0000 G01", p[5]}));
    // A quarter turn turns the increments and the offsets too.
    EXPECT_EQ(run(Modifier::Spin, p, Four(90)),
              (Lines{"G90 X-10.0000 Y10.0000 G00", "G01 X-10.0000 Y20.0000", "G91 X-1.0000 Y5.0000 G01",
                     "G02 X0.0000 Y2.0000 I0.0000 J1.0000", "G90 X0.0000 Y0.0000 G01", "G91  Z0.0000 G28"}));
    // A slide refuses, naming the line, an increment from the origin it cannot move.
    RecordingHost host;
    Lines q{"G91", "G01 X1 Y1"};
    EXPECT_TRUE(SLIDE2(Modifier::Up, q, MillCodes(), Four(), host).refused);
    EXPECT_EQ(q, (Lines{"G91", "G01 X1 Y1"}));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].rfind("Line 2 ", 0), 0u) << host.messages[0];
}

TEST(Modifiers, TheBlockNeedsTwoLinesAndStartsAtTheLineBeforeIt) {
    const Lines p{"X0", "X1", "X2", "X3", "X4", "X5"};
    ModifierSettings s = Four(1);
    s.selStartLine = 1;  // lines 2 and 3 highlighted
    s.selLineCount = 1;
    EXPECT_EQ(run(Modifier::Down, p, s)[0], "X1.0000");  // one line: the whole program
    s.selLineCount = 2;
    EXPECT_EQ(run(Modifier::Down, p, s), (Lines{"X0", "X2.0000", "X3.0000", "X4.0000", "X4", "X5"}));
    s.selStartLine = -1;
    s.selLineCount = 2;
    EXPECT_EQ(run(Modifier::Down, p, s), (Lines{"X1.0000", "X2.0000", "X2", "X3", "X4", "X5"}));
}

TEST(Modifiers, WithTheArrayWindowShownMovedCopiesAreAppended) {
    ModifierSettings s = Four(10);
    s.appendCopies = true;
    EXPECT_EQ(run(Modifier::Right, {"%", "G00 X0 Y0", "G01 X5", "M30"}, s),
              (Lines{"%", "G00 X0 Y0", "G01 X5", "", "", "G00 X0.0000 Y10.0000", "G01 X5.0000", "M30"}));
}

TEST(Modifiers, SlidesMoveCentresUnlessTheyAreOffsetsAndFollowTheAxisSigns) {
    ModifierSettings s = Four(1);
    EXPECT_EQ(run(Modifier::UpRight, {"G02 X1 Y1 I1 J0"}, s), (Lines{"G02 X0.0000 Y2.0000 I0.0000 J1.0000"}));
    s.bridgeport = true;
    EXPECT_EQ(run(Modifier::UpRight, {"G02 X1 Y1 I1 J0"}, s), (Lines{"G02 X0.0000 Y2.0000 I1.0000 J0.0000"}));
    AxisCodes flipped = MillCodes();
    flipped.xSign = -1;
    EXPECT_EQ(run(Modifier::Up, {"X1"}, s, nullptr, flipped), (Lines{"X2.0000"}));
}

// The keypad's directions are screen directions: the plot draws X times
// XSign and Y times YSign, so for every sign setting each slide moves the
// drawn point the same way as with both signs +1.
TEST(Modifiers, EverySlideMovesThePlotTheSameWayWhateverTheAxisSigns) {
    const char slides[] = {Modifier::Up,     Modifier::Down,    Modifier::Left,     Modifier::Right,
                           Modifier::UpLeft, Modifier::UpRight, Modifier::DownLeft, Modifier::DownRight};
    const Lines start = {"G01 X10.0000 Y20.0000"};
    auto drawnMove = [&](char mode, int xs, int ys) {
        AxisCodes codes = MillCodes();
        codes.xSign = xs;
        codes.ySign = ys;
        const Lines moved = run(mode, start, Four(3), nullptr, codes);
        double x = 0, y = 0;
        EXPECT_EQ(std::sscanf(moved[0].c_str(), "G01 X%lf Y%lf", &x, &y), 2) << moved[0];
        return std::pair<double, double>{(x - 10) * xs, (y - 20) * ys};
    };
    for (char mode : slides) {
        const auto plain = drawnMove(mode, 1, 1);
        EXPECT_GT(std::abs(plain.first) + std::abs(plain.second), 0) << mode;
        for (int xs : {1, -1})
            for (int ys : {1, -1}) EXPECT_EQ(drawnMove(mode, xs, ys), plain) << "mode " << mode << " signs " << xs << " " << ys;
    }
}

TEST(Modifiers, SwapXYPassesTheLineThroughTheWordOrder) {
    ModifierSettings s = Four(1);
    s.swapXY = true;
    // X and Y letters exchanged: "Y" is now the first axis, read and written as such.
    EXPECT_EQ(run(Modifier::Down, {"G01 Y1 X2 M03"}, s, nullptr, MillCodes(true)),
              (Lines{"G01 X2.0000 Y2.0000 M03 "}));
}

TEST(Modifiers, RefusalsLeaveTheProgramAsItWas) {
    RecordingHost host;
    ModifierResult r;
    const Lines bad{"G01 X1", "G01 X1" + std::string(400, '0') + " Y2"};
    for (std::size_t k = 1; k < bad.size(); ++k) {
        Lines q{bad[0], bad[k]};
        for (char mode : {Modifier::Up, Modifier::Spin, Modifier::Size, Modifier::ToIncremental, Modifier::Flip}) {
            r = SLIDE2(mode, q, MillCodes(), Four(), host);
            EXPECT_TRUE(r.refused) << mode << k;
            EXPECT_EQ(q, (Lines{bad[0], bad[k]}));
        }
    }
    EXPECT_NE(host.messages.back().find("Line 2: the number of \"X1000"), std::string::npos);
    EXPECT_EQ(host.beeps, 0);
    // A result beyond a double.
    const std::string e250 = "X1" + std::string(250, '0');
    Lines big{e250};
    ModifierSettings s = Four();
    s.factor = 1e60;
    r = SLIDE2(Modifier::Size, big, MillCodes(), s, host);
    EXPECT_TRUE(r.refused);
    EXPECT_EQ(big, (Lines{e250}));
    // Beyond seven integer digits: every digit, never an exponent or "inf".
    Lines far{"X10000000"};
    s.factor = 100;
    SLIDE2(Modifier::Size, far, MillCodes(), s, host);
    EXPECT_EQ(far, (Lines{"X1000000000.0000"}));
}

// A line of any length is transformed as the same line with a short
// comment is, its long comment kept whole; a line with nothing to rewrite
// comes back as written.
TEST(Modifiers, LinesOfAnyLengthAreTransformedWhole) {
    const std::string longComment = "(" + std::string(400, 'K') + ")";
    const Lines shortForm{"G21  G17G40G80G90", "G00 X1 Y2 (C)", "G02 X3 Y2 I1 J0 (C)", "Y5 (C)"};
    for (char mode : {Modifier::Up, Modifier::Spin, Modifier::Flip, Modifier::Size, Modifier::ToIncremental}) {
        Lines longForm = shortForm;
        for (std::size_t k = 1; k < longForm.size(); ++k) longForm[k].replace(longForm[k].find("(C)"), 3, longComment);
        RecordingHost host;
        Lines want = run(mode, shortForm, Four(30), &host);
        ASSERT_TRUE(host.messages.empty()) << mode;
        for (std::string& l : want)
            if (l.find("(C)") != std::string::npos) l.replace(l.find("(C)"), 3, longComment);
        EXPECT_EQ(run(mode, longForm, Four(30), &host), want) << mode;
        EXPECT_TRUE(host.messages.empty()) << mode;
        if (mode != Modifier::ToIncremental) EXPECT_EQ(want[0], shortForm[0]) << mode;
    }
}

TEST(Modifiers, ConversionsRewriteOnlyTheOtherModeAndReplaceTheDistanceCodeItself) {
    RecordingHost host;
    Lines p{"G21 G17G40G80G91", "X1", "X1", "G90", "X5 Z5", "G91 G28 Z0"};
    ModifierResult r = ConvertToAbsolute(p, MillCodes(), Four(), host);
    EXPECT_FALSE(r.refused);
    EXPECT_EQ(p, (Lines{"G21  G17G40G80G90", "X1.0000", "X2.0000", "G90", "X5 Z5", "G90  Z5.0000 G28"}));

    // Nothing to convert: refused, said, nothing changed (not even the centres).
    const Lines absolute{"N10 G90 G02 X5 Y4 I1 J1"};
    Lines q = absolute;
    ModifierSettings offsets = Four();
    offsets.bridgeport = true;
    r = ConvertToAbsolute(q, MillCodes(), offsets, host);
    EXPECT_TRUE(r.refused);
    EXPECT_FALSE(r.changed);
    EXPECT_EQ(host.messages.back(), kAlreadyAbsoluteText);
    EXPECT_EQ(q, absolute);
    // "G90.1" is not the absolute code; the centres' mode follows the centres.
    q = {"G91.1 G91 X1", "G90.1 X1"};
    ConvertToAbsolute(q, MillCodes(), Four(), host);
    EXPECT_EQ(q, (Lines{"G90.1 X1.0000 G90", "G90.1 X2.0000"}));
    // A program with no distance code is absolute: to incremental adds the code.
    q = {"G00 X1 Y1", "G01 X2"};
    ConvertToIncremental(q, MillCodes(), Four(), host);
    EXPECT_EQ(q, (Lines{"G91 X1.0000 Y1.0000 G00", "G01 X1.0000"}));

    Lines k3{"G90", "G02 X1 Y0 I0.5 K0"};
    r = ConvertToIncremental(k3, MillCodes(), Four(), host);
    EXPECT_TRUE(r.refused);
    EXPECT_EQ(host.messages.back(), "File is 3d \nFunction not supported \nMust be Absolute 2d ");
    EXPECT_EQ(k3, (Lines{"G90", "G02 X1 Y0 I0.5 K0"}));
}

TEST(Modifiers, ToAbsoluteWithBridgeportCentresKeepsThemOffsets) {
    RecordingHost host;
    ModifierSettings s = Four();
    s.bridgeport = true;
    Lines p{"N1 G91", "N2 G01 X10 Y0", "N3 G02 X10 Y10 I0 J10"};
    ConvertToAbsolute(p, MillCodes(), s, host);
    EXPECT_EQ(p, (Lines{"G90 ", "G01 X10.0000 Y0.0000", "G02 X20.0000 Y10.0000 I0.0000 J10.0000"}));
}
