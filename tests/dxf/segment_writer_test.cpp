// The writers: arc lines, R words, circle lead-ins, ellipses, and the
// program head and tail pass.
#include "dxf/segment_writer.h"

#include <gtest/gtest.h>

#include <cmath>

#include "dxf/plane_codes.h"
#include "text/gcode_words.h"
#include "dxf_test_support.h"

using namespace tolva;
using namespace tolva::test;
using Lines = std::vector<std::string>;

namespace {

Lines Arc(const DxfImportSettings& s, float r, float a, float b) {
    SegmentWriter w(s);
    w.BuildDXFArcIJ(3, 0, 0, 0, r, a, b);
    return w.Lines();
}

Lines Circle(const DxfImportSettings& s, float r) {
    SegmentWriter w(s);
    w.CircleXY(0, 0, 0, 0, r);
    return w.Lines();
}

}  // namespace

TEST(ArcLines, LineFormsKeepTheBlanksOfEmptyWords) {
    DxfImportSettings s = PlainSettings();
    SegmentWriter w(s);
    EXPECT_TRUE(w.NothingWritten);
    w.ADDLINE("2.0000", "1.0000", "0.00");
    w.AddArcIJ("0.0000", "1.0000", "0.00", "0.0000", "0.0000", "1.0000", "", 3);
    EXPECT_FALSE(w.NothingWritten);
    s.includeZ = true;
    s.rMode = true;
    SegmentWriter z(s);
    z.AddArcIK("1", "2", "3", "4", "5", "6", "", 2);
    z.AddArcJK("1", "2", "3", "4", "5", "6", "", 3);
    EXPECT_EQ(w.Lines(), (Lines{"G01 X2.0000 Y1.0000 ", "G03 X0.0000 Y1.0000  I0.0000 J0.0000  "}));
    EXPECT_EQ(z.Lines(), (Lines{"G02 X1 Y2 Z3 I4 K5 R6 ", "G03 X1 Y2 Z3 J4 K5 R6 "}));
}

TEST(ArcLines, SwappedLettersAreTheLettersInForce) {
    DxfImportSettings s = PlainSettings();
    s.swapXY = true;
    SetCode(s, LabelRow::Line, "G 1");  // blanks of the code rows go
    SegmentWriter w(s);
    w.ADDLINE("1", "2", "3");
    w.AddArcIJ("1", "2", "3", "4", "5", "6", "", 3);
    EXPECT_EQ(w.Lines(), (Lines{"G1 Y1 X2 ", "G03 Y1 X2  J4 I5  "}));
}

TEST(ArcLines, RadiusCapOfRow89AppliesOnlyToPositiveRadiiInRMode) {
    DxfImportSettings s = PlainSettings();
    s.rMode = true;
    SetCode(s, LabelRow::MaxR, "10");
    SegmentWriter w(s);
    w.AddArcIJ("0", "0", "", "0", "0", "12.0000", "", 3);
    w.AddArcIJ("0", "0", "", "0", "0", "-12.0000", "", 3);
    EXPECT_EQ(w.Lines(), (Lines{"G03 X0 Y0  I0 J0 R10.0000 ", "G03 X0 Y0  I0 J0 R-12.0000 "}));
    for (const char* cap : {"", "0", "abc"}) {
        SetCode(s, LabelRow::MaxR, cap);
        SegmentWriter u(s);
        u.AddArcIJ("0", "0", "", "0", "0", "12.0000", "", 3);
        EXPECT_EQ(u.Lines()[0], "G03 X0 Y0  I0 J0 R12.0000 ") << cap;
    }
}

TEST(ArcLines, RadiusSignFollowsTheSweepCountedCounterClockwise) {
    DxfImportSettings s = PlainSettings();
    s.rMode = true;
    auto R = [&](float a, float b) {
        const std::string l = Arc(s, 12, a, b)[1];
        return l.substr(l.find(" R") + 2, l.size() - l.find(" R") - 3);
    };
    EXPECT_EQ(R(0, 270), "-12.0000");
    EXPECT_EQ(R(270, 0), "12.0000");
    EXPECT_EQ(R(10, 100), "12.0000");
    EXPECT_EQ(R(100, 50), "-12.0000");  // 310 degrees
    EXPECT_EQ(R(90, 90), "12.0000");    // a full circle
    s.xScale = s.yScale = 2;
    EXPECT_EQ(R(10, 100), "24.0000");   // machine units
}

TEST(ArcLines, RadiusWordIsTheDistanceFromCentreToEndsAlsoWithDiameterX) {
    // Read back as a control reads it (a diameter X halved), every arc's end
    // points lie at the written R from its centre: uniform scales scale R,
    // a lathe's "X scale 2" for diameters leaves the drawn radius.
    struct Case {
        float xScale, yScale;
        bool diameter;
    };
    for (Case c : {Case{1, 1, false}, Case{2, 2, false}, Case{2, 1, true}, Case{50.8f, 25.4f, true}}) {
        DxfImportSettings s = PlainSettings();
        s.rMode = true;
        s.xScale = c.xScale;
        s.yScale = c.yScale;
        s.xDiameter = c.diameter;
        const float xc = 6, yc = 10;
        for (float a : {0.0f, 37.0f, 200.0f}) {
            SegmentWriter w(s);
            w.BuildDXFArcIJ(3, xc, yc, 0, 4, a, a + 90);
            const std::string end = w.Lines()[1];
            const double k = c.diameter ? 2.0 : 1.0;
            const double dx = (WordValue("X", end).value - xc) / k, dy = WordValue("Y", end).value - yc;
            EXPECT_NEAR(WordValue("R", end).value, std::hypot(dx, dy), 2e-3 * c.yScale)
                << end << " scales " << c.xScale << " " << c.yScale;
        }
    }
}

TEST(ArcLines, SwapYZTurnsTheDirectionInTheBuilderAndTheLineWriterWritesWhatItIsGiven) {
    // Without swaps the program is the drawing mirrored (X from the drawing's
    // Y): a counter-clockwise arc is written clockwise. With Swap Y Z the
    // words lie in the program's X-Z plane, whose clockwise is seen Z first.
    DxfImportSettings s = PlainSettings();
    EXPECT_EQ(Arc(s, 1, 0, 90)[1].substr(0, 4), "G02 ");
    s.swapYZ = true;
    EXPECT_EQ(Arc(s, 1, 0, 90)[1].substr(0, 4), "G03 ");
    SegmentWriter w(s);
    w.AddArcIJ("0", "0", "", "0", "0", "", "", 3);
    EXPECT_EQ(w.Lines()[0].substr(0, 4), "G03 ");
}

TEST(ArcLines, FullCircleStartsAtTheNinetyDegreePoint) {
    DxfImportSettings s = PlainSettings();
    SegmentWriter w(s);
    w.BuildDXFArcIJ(0, 1, 2, 0, 3, 90, 90);
    EXPECT_EQ(w.Lines(), (Lines{"G01 X4.0000 Y2.0000 ", "G02 X4.0000 Y2.0000  I1.0000 J2.0000  "}));
    EXPECT_EQ(w.centreX, "1.0000");
}

TEST(CircleLeadIns, StraightLeadInAndOutOfLengthL) {
    DxfImportSettings s = PlainSettings();
    s.lineLeadIn = true;
    s.leadIn = 0.5f;
    EXPECT_EQ(Circle(s, 2), (Lines{"G01 X1.5000 Y0.0000 ", "G01 X2.0000 Y0.0000 ",
                                   "G01 X2.0000 Y0.0000 ", "G02 X2.0000 Y0.0000  I0.0000 J0.0000  ",
                                   "G01 X2.0000 Y0.0000 ", "G01 X1.5000 Y0.0000 "}));
    s.leadIn = 3;  // longer than the radius: from the centre
    EXPECT_EQ(Circle(s, 2)[0], "G01 X0.0000 Y0.0000 ");
}

TEST(CircleLeadIns, HalfCircleLeadInRadiusLOrHalfTheRadius) {
    DxfImportSettings s = PlainSettings();
    s.arcLeadIn = true;
    s.leadIn = 0.5f;
    const Lines l = Circle(s, 2);
    ASSERT_EQ(l.size(), 6u);
    EXPECT_EQ(l[0], "G01 X1.0000 Y0.0000 ");
    EXPECT_EQ(l[1], "G02 X2.0000 Y0.0000  I1.5000 J0.0000  ");
    EXPECT_EQ(l[5], "G02 X1.0000 Y0.0000  I1.5000 J0.0000  ");
    const Lines small = Circle(s, 0.8f);
    EXPECT_EQ(small[0], "G01 X0.0000 Y0.0000 ");
    EXPECT_EQ(small[1], "G02 X0.8000 Y0.0000  I0.4000 J0.0000  ");
}

TEST(CircleLeadIns, HalfCircleEndsOnTheCircleUnderAScale) {
    DxfImportSettings s = PlainSettings();
    s.arcLeadIn = true;
    s.leadIn = 0.5f;
    s.xScale = s.yScale = 2;
    const Lines l = Circle(s, 2);
    EXPECT_EQ(l[1], "G02 X4.0000 Y0.0000  I3.0000 J0.0000  ");  // ends at centre + r * 2
    EXPECT_EQ(l[2], "G01 X4.0000 Y0.0000 ");                       // where the circle starts
}

TEST(CircleLeadIns, FourQuadrantsBetweenEntryAndExit) {
    DxfImportSettings s = PlainSettings();
    s.lineInArcOut = true;
    s.ijFourQuad = true;
    const Lines l = Circle(s, 2);
    ASSERT_EQ(l.size(), 2u + 8u + 2u);
    EXPECT_EQ(l[1], "G01 X2.0000 Y0.0000 ");
    EXPECT_EQ(l[2], "G01 X2.0000 Y0.0000 ");
    EXPECT_EQ(l[3], "G02 X0.0000 Y-2.0000  I0.0000 J0.0000  ");
    EXPECT_EQ(l[9], "G02 X2.0000 Y0.0000  I0.0000 J0.0000  ");
    EXPECT_EQ(l[10], "G01 X2.0000 Y0.0000 ");  // the half-circle exit starts where the circle ends
}

TEST(Ellipses, PartialRangeEndsAtItsEndPointAfterNPieces) {
    // Drawing major axis (2, 0), minor (0, 1): machine major (X0 Y2), minor
    // (X1 Y0). Half a turn in three pieces: t = 0, 60, 120, 180 degrees.
    DxfImportSettings s = PlainSettings("*", 3);
    s.ellipsePoints = 3;
    SegmentWriter w(s);
    w.EllipseIJ(0, 0, 0, 0, 3.14159265L, 0, 2, 1, 0);
    EXPECT_EQ(w.Lines(), (Lines{"G01 X0.000 Y2.000 ", "G01 X0.866 Y1.000 ", "G01 X0.866 Y1.000 ",
                                "G01 X0.866 Y-1.000 ", "G01 X0.866 Y-1.000 ", "G01 X0.000 Y-2.000 "}));
}

TEST(PlaneCodes, HeadTrailerAndFilesKeepThePairsAligned) {
    DxfScratch scratch;
    const std::string two = scratch.write("two.txt", "(A)\n(B)\n");
    DxfImportSettings s = PlainSettings();
    SetCode(s, LabelRow::Header1, "(HEAD)");
    SetCode(s, LabelRow::Header1 + 1, two);
    SetCode(s, LabelRow::Trailer1 + 1, "M05");
    const Lines in = {"M03", "G01 X1 Y1 ", "G01 X1 Y1 ", "M30"};
    const PlaneCodesResult r = AddPlaneCodes2(in, s);
    ASSERT_TRUE(r.status.ok) << r.status.message;
    EXPECT_EQ(r.lines, (Lines{"%", "%", "(HEAD)", "(A)", "(B)", " ", " ", " ", "M03", "G01 X1 Y1 ",
                              "G01 X1 Y1 ", " ", "M05", " ", " ", " ", "M30"}));
}

TEST(PlaneCodes, PlaneCodesOnlyWithZAndApproachLineWithLeadIns) {
    DxfImportSettings s = PlainSettings();
    const Lines in = {"M03", "G01 X1 Y2 Z0", "G01 X1 Y2 Z0", "G03 X1 Y2 Z0 I0 K0 ", "M05", "M30"};
    EXPECT_EQ(AddPlaneCodes2(in, s).lines.size(), 2u + 4u + 6u + 5u);  // no plane code, no approach
    s.includeZ = true;
    s.editLineOnly = true;
    EXPECT_EQ(AddPlaneCodes2(in, s).lines,
              (Lines{"%", "%", " ", " ", " ", " ", "G00 X1 Y2 Z0 ", "M03", "G01 X1 Y2 Z0", "G01 X1 Y2 Z0",
                     "G18", "G03 X1 Y2 Z0 I0 K0 ", "M05", " ", " ", " ", " ", " ", "M30"}));
}

TEST(PlaneCodes, InsertFileAddsAnOddNumberOfLines) {
    DxfScratch scratch;
    Lines out;
    ASSERT_TRUE(insertfile(scratch.write("three.txt", "a\nb\nc\n"), out).ok);
    EXPECT_EQ(out.size(), 3u);
    ASSERT_TRUE(insertfile(scratch.write("empty.txt", ""), out).ok);
    EXPECT_EQ(out.size(), 4u);
    EXPECT_FALSE(insertfile(scratch.file("missing.txt"), out).ok);
}
