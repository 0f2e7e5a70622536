// Reading drawings into the SegmentFile: fixtures of the CAD writers' forms,
// the entity handlers, layers, UCS and scales.
#include "dxf/dxf_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "dxf_test_support.h"

using namespace tolva;
using namespace tolva::test;
using Lines = std::vector<std::string>;

namespace {

DxfReadResult ReadFile(const std::string& path, const DxfImportSettings& s, const DxfScratch& scratch) {
    return ReadDxfEntities(path, s, scratch.path());
}

Lines Read(const std::string& drawing, const DxfImportSettings& s) {
    DxfScratch scratch;
    DxfReadResult r = ReadFile(scratch.write("in.dxf", drawing), s, scratch);
    EXPECT_EQ(r.status, DxfReadStatus::Read) << r.message;
    return r.SegmentLines();
}

const std::string kLine = "0|LINE|8|0|10|1.0|20|2.0|30|0.0|11|3.0|21|4.0|31|0.0";

}  // namespace

TEST(DxfFixtures, R12FileGivesLineArcAndCircleOfLayer0AndWritesTheSegmentFile) {
    DxfScratch scratch;
    DxfReadResult r = ReadFile(TestData("r12_basic.dxf"), PlainSettings("0"), scratch);
    ASSERT_EQ(r.status, DxfReadStatus::Read) << r.message;
    const Lines expected = {
        "G01 X2.0000 Y1.0000 ", "G01 X4.0000 Y3.0000 ",                    // LINE (1,2)-(3,4)
        "G01 X0.0000 Y1.0000 ", "G02 X1.0000 Y0.0000  I0.0000 J0.0000  ",  // ARC 0..90 degrees
        "G01 X2.0000 Y0.0000 ", "G02 X2.0000 Y0.0000  I0.0000 J0.0000  ",  // CIRCLE r 2
    };
    EXPECT_EQ(r.SegmentLines(), expected);
    EXPECT_EQ(r.segmentFile, scratch.file("DXF1.$$$"));
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(r.segmentFile, bytes).ok);
    EXPECT_EQ(SplitLines(bytes), expected);
    const Lines layers = {LayerListHead()[0], LayerListHead()[1], LayerListHead()[2], "Try Layer : 0",
                          "Try Layer : CUT"};
    EXPECT_EQ(r.layers, layers);
}

TEST(DxfFixtures, LibreCadStyleCodesReadWithOrWithoutAutoSketch) {
    DxfImportSettings s = PlainSettings("*");
    s.autosketch = true;
    DxfScratch scratch;
    DxfReadResult r = ReadFile(TestData("librecad_style.dxf"), s, scratch);
    ASSERT_EQ(r.status, DxfReadStatus::Read) << r.message;
    const Lines expected = {
        "G01 X2.0000 Y1.0000 ", "G01 X4.0000 Y3.0000 ",
        "G01 X21.0000 Y10.0000 ", "G02 X21.0000 Y10.0000  I20.0000 J10.0000  ",
        // ARC 210..90 degrees: the value line "210" is a start angle, not an extrusion.
        "G01 X-1.0000 Y-1.7321 ", "G02 X2.0000 Y0.0000  I0.0000 J0.0000  ",
    };
    EXPECT_EQ(r.SegmentLines(), expected);

    // Codes are read with their blanks trimmed: the variant does not matter.
    DxfReadResult plain = ReadFile(TestData("librecad_style.dxf"), PlainSettings("*"), scratch);
    ASSERT_EQ(plain.status, DxfReadStatus::Read) << plain.message;
    EXPECT_EQ(plain.SegmentLines(), expected);
}

TEST(DxfFixtures, LwPolylineWithWidthBeforeTheFirstVertexKeepsEveryVertex) {
    DxfImportSettings s = PlainSettings("CUT");
    DxfScratch scratch;
    DxfReadResult r = ReadFile(TestData("r2000_lwpolyline.dxf"), s, scratch);
    ASSERT_EQ(r.status, DxfReadStatus::Read) << r.message;
    const Lines expected = {
        // closed: (0,0) (10,0) bulge 1 (10,10), back to (0,0)
        "G01 X0.0000 Y0.0000 ", "G01 X0.0000 Y10.0000 ",
        "G01 X0.0000 Y10.0000 ", "G02 X10.0000 Y10.0000  I5.0000 J10.0000  ",
        "G01 X10.0000 Y10.0000 ", "G01 X0.0000 Y0.0000 ",
        // quarter arc (1,0) to (0,1) about the origin
        "G01 X0.0000 Y1.0000 ", "G02 X1.0000 Y0.0000  I0.0000 J0.0000  ",
        // width "42" is a value, not a bulge; the vertex at drawing X 42 stays a vertex
        "G01 X0.0000 Y0.0000 ", "G01 X0.0000 Y42.0000 ",
    };
    EXPECT_EQ(r.SegmentLines(), expected);
}

TEST(DxfFixtures, UcsOriginFromTheHeaderMovesThePoints) {
    DxfScratch scratch;
    DxfReadResult r = ReadFile(TestData("ucsorg.dxf"), PlainSettings("0"), scratch);
    ASSERT_EQ(r.status, DxfReadStatus::Read) << r.message;
    EXPECT_EQ(r.SegmentLines(), (Lines{"G01 X0.0000 Y2.0000 ", "G01 X5.0000 Y2.0000 "}));
    EXPECT_FLOAT_EQ(r.UcsX, 10.0f);
}

TEST(DxfScales, XTimesMinusOneScaleAndZOffsetAreApplied) {
    DxfImportSettings s = PlainSettings();
    s.xScale = -1;
    EXPECT_EQ(Read(Drawing(kLine), s), (Lines{"G01 X-2.0000 Y1.0000 ", "G01 X-4.0000 Y3.0000 "}));
    s = PlainSettings("*", 3);
    s.includeZ = true;
    s.zOffset = 1;
    s.zScale = 2;
    s.yScale = 10;
    EXPECT_EQ(Read(Drawing(kLine), s), (Lines{"G01 X2.000 Y10.000 Z2.000", "G01 X4.000 Y30.000 Z2.000"}));
}

TEST(DxfScales, BulgeArcCentreIsScaledOnceAndMirrorKeepsTheCentre) {
    const std::string quarter =
        "0|LWPOLYLINE|8|0|90|2|70|0|10|1|20|0|42|0.41421356|10|0|20|1";
    DxfImportSettings s = PlainSettings();
    s.xScale = s.yScale = 25.4f;
    s.rMode = true;
    EXPECT_EQ(Read(Drawing(quarter), s),
              (Lines{"G01 X0.0000 Y25.4000 ", "G02 X25.4000 Y0.0000  I0.0000 J0.0000 R25.4000 "}));
    // One mirrored axis: the centre is still the mirrored origin.
    s = PlainSettings();
    s.xScale = -1;
    EXPECT_EQ(Read(Drawing(quarter), s),
              (Lines{"G01 X0.0000 Y1.0000 ", "G03 X-1.0000 Y0.0000  I0.0000 J0.0000  "}));
}

TEST(DxfLayers, OnlyTheChosenLayerIsReadAndNamesAreCaseSensitive) {
    const std::string two = "0|LINE|8|FLAMECUT|10|0|20|0|30|0|11|1|21|0|31|0|"
                            "0|LINE|8|0|10|5|20|5|30|0|11|6|21|6|31|0";
    DxfScratch scratch;
    const std::string path = scratch.write("in.dxf", Drawing(two));
    EXPECT_EQ(ReadFile(path, PlainSettings("*"), scratch).SegmentLines().size(), 4u);
    EXPECT_EQ(ReadFile(path, PlainSettings("0"), scratch).SegmentLines(),
              (Lines{"G01 X5.0000 Y5.0000 ", "G01 X6.0000 Y6.0000 "}));
    DxfReadResult none = ReadFile(path, PlainSettings("flamecut"), scratch);
    EXPECT_EQ(none.status, DxfReadStatus::NoUsableData);
    EXPECT_EQ(none.message, " No Usable Data found in dxf file ");
    EXPECT_EQ(none.heldNote, "The drawing holds 2 LINE, none of it usable on layer \"flamecut\".");
    EXPECT_FALSE(std::filesystem::exists(scratch.file("DXF1.$$$")));
}

TEST(DxfLayers, LayerListNamesEachRunOfLayersOnce) {
    std::string pairs;
    auto line = [](const std::string& layer) { return "0|LINE|8|" + layer + "|10|0|20|0|30|0|11|1|21|1|31|0|"; };
    for (int i = 0; i < 10; ++i) pairs += line("A");
    pairs += line("B") + line("A");
    pairs += "0|LWPOLYLINE|8|C|90|2|70|0|10|0|20|0|10|1|20|1";
    DxfScratch scratch;
    DxfReadResult r = ReadFile(scratch.write("in.dxf", Drawing(pairs)), PlainSettings("Z"), scratch);
    EXPECT_EQ(r.status, DxfReadStatus::NoUsableData);
    const Lines tail(r.layers.begin() + 3, r.layers.end());
    EXPECT_EQ(tail, (Lines{"Try Layer : A", "Try Layer : B", "Try Layer : A", "Try Layer : C"}));
}

TEST(DxfEntities, OpenPolylineGivesTwoSegmentsClosedThree) {
    auto poly = [](int flags) {
        return "0|POLYLINE|8|0|66|1|10|0|20|0|30|0|70|" + std::to_string(flags) +
               "|0|VERTEX|8|0|10|0|20|0|30|0|0|VERTEX|8|0|10|1|20|0|30|0|0|VERTEX|8|0|10|1|20|1|30|0|0|SEQEND|8|0";
    };
    EXPECT_EQ(Read(Drawing(poly(0)), PlainSettings()),
              (Lines{"G01 X0.0000 Y0.0000 ", "G01 X0.0000 Y1.0000 ", "G01 X0.0000 Y1.0000 ",
                     "G01 X1.0000 Y1.0000 "}));
    const Lines closed = Read(Drawing(poly(1)), PlainSettings());
    ASSERT_EQ(closed.size(), 6u);
    EXPECT_EQ(closed[4], "G01 X1.0000 Y1.0000 ");
    EXPECT_EQ(closed[5], "G01 X0.0000 Y0.0000 ");
}

TEST(DxfEntities, PolylineVertexBulgeGivesAnArcOfItsDirection) {
    auto poly = [](const std::string& bulge) {
        return "0|POLYLINE|8|0|66|1|10|0|20|0|30|0|70|0|0|VERTEX|8|0|10|0|20|0|30|0|42|" + bulge +
               "|0|VERTEX|8|0|10|2|20|0|30|0|0|SEQEND|8|0";
    };
    EXPECT_EQ(Read(Drawing(poly("1")), PlainSettings()),
              (Lines{"G01 X0.0000 Y0.0000 ", "G02 X0.0000 Y2.0000  I0.0000 J1.0000  "}));
    EXPECT_EQ(Read(Drawing(poly("-1")), PlainSettings())[1], "G03 X0.0000 Y2.0000  I0.0000 J1.0000  ");
}

TEST(DxfEntities, LwPolylineBulgeSignSelectsTheArcLabel) {
    auto lw = [](const std::string& bulge) {
        return "0|LWPOLYLINE|8|0|90|2|70|0|10|0|20|0|42|" + bulge + "|10|2|20|0";
    };
    // The program's X is the drawing's Y and its Y the drawing's X: an arc
    // turning counter-clockwise in the drawing turns clockwise in the program.
    EXPECT_EQ(Read(Drawing(lw("1")), PlainSettings()),
              (Lines{"G01 X0.0000 Y0.0000 ", "G02 X0.0000 Y2.0000  I0.0000 J1.0000  "}));
    EXPECT_EQ(Read(Drawing(lw("-1")), PlainSettings())[1], "G03 X0.0000 Y2.0000  I0.0000 J1.0000  ");
    // With the Y/Z exchange the arc lies in the program's X-Z plane, whose
    // clockwise is seen with Z first: the other label.
    DxfImportSettings s = PlainSettings();
    s.swapYZ = true;
    EXPECT_EQ(Read(Drawing(lw("1")), s)[1].substr(0, 3), "G03");
}

TEST(DxfEntities, LwPolylineBulgeOnAMiddleVertexWritesNoEmptyPiece) {
    const std::string lw = "0|LWPOLYLINE|8|0|90|3|70|0|10|0|20|0|10|2|20|0|42|1|10|4|20|0";
    EXPECT_EQ(Read(Drawing(lw), PlainSettings()),
              (Lines{"G01 X0.0000 Y0.0000 ", "G01 X0.0000 Y2.0000 ", "G01 X0.0000 Y2.0000 ",
                     "G02 X0.0000 Y4.0000  I0.0000 J3.0000  "}));
}

TEST(DxfEntities, SolidAndTraceRunThroughCorners1243) {
    const std::string corners = "|8|0|10|0|20|0|30|0|11|1|21|0|31|0|12|0|22|1|32|0|13|1|23|1|33|0";
    const Lines expected = {"G01 X0.0000 Y0.0000 ", "G01 X0.0000 Y1.0000 ", "G01 X0.0000 Y1.0000 ",
                            "G01 X1.0000 Y1.0000 ", "G01 X1.0000 Y0.0000 ", "G01 X1.0000 Y1.0000 ",
                            "G01 X1.0000 Y0.0000 ", "G01 X0.0000 Y0.0000 "};
    EXPECT_EQ(Read(Drawing("0|SOLID" + corners), PlainSettings()), expected);
    EXPECT_EQ(Read(Drawing("0|TRACE" + corners), PlainSettings()), expected);
}

TEST(DxfEntities, ArcExtrusionSelectsThePlane) {
    auto arc = [](const std::string& extrusion) {
        return "0|ARC|8|0|10|0|20|0|30|0|40|1|210|" + extrusion + "|50|0|51|90";
    };
    const Lines xy = {"G01 X0.0000 Y1.0000 ", "G02 X1.0000 Y0.0000  I0.0000 J0.0000  "};
    EXPECT_EQ(Read(Drawing(arc("0|220|0|230|1")), PlainSettings()), xy);
    // Seen from below, the object's X runs along the drawing's -X: the arc
    // runs from drawing (-1, 0) to (0, 1), clockwise seen from above, with
    // or without "DesignCad".
    const Lines below = {"G01 X0.0000 Y-1.0000 ", "G03 X1.0000 Y0.0000  I0.0000 J0.0000  "};
    EXPECT_EQ(Read(Drawing(arc("0|220|0|230|-1")), PlainSettings()), below);
    DxfImportSettings dc = PlainSettings();
    dc.designCad = true;
    EXPECT_EQ(Read(Drawing(arc("0|220|0|230|-1")), dc), below);
    // Extrusion along drawing X: the XZ plane, I and K words, which need
    // the Z words; without "Z Included" the arc is passed over and named.
    DxfImportSettings z = PlainSettings();
    z.includeZ = true;
    const Lines xz = Read(Drawing(arc("1|220|0|230|0")), z);
    ASSERT_EQ(xz.size(), 2u);
    EXPECT_NE(xz[1].find(" I"), std::string::npos);
    EXPECT_NE(xz[1].find(" K"), std::string::npos);
    DxfScratch scratch;
    const DxfReadResult flat = ReadFile(scratch.write("in.dxf", Drawing(arc("1|220|0|230|0"))), PlainSettings(), scratch);
    EXPECT_EQ(flat.status, DxfReadStatus::NoUsableData);
    ASSERT_EQ(flat.passedOver.size(), 1u);
    EXPECT_NE(flat.passedOver[0].first.find("Z Included"), std::string::npos);
    // Oblique: nothing.
    EXPECT_EQ(ReadFile(scratch.write("in.dxf", Drawing(arc("0.6|220|0|230|0.8"))), PlainSettings(), scratch).status,
              DxfReadStatus::NoUsableData);
}

TEST(DxfEntities, ScaledExtrusionStillSelectsThePlane) {
    const std::string arc = "0|ARC|8|0|10|0|20|0|30|0|40|1|210|0|220|0|230|1|50|0|51|90";
    DxfImportSettings s = PlainSettings();
    s.xScale = s.yScale = s.zScale = 25.4f;
    const Lines l = Read(Drawing(arc), s);
    EXPECT_EQ(l, (Lines{"G01 X0.0000 Y25.4000 ", "G02 X25.4000 Y0.0000  I0.0000 J0.0000  "}));
}

TEST(DxfEntities, EllipseRunsCounterClockwiseFromItsMajorAxisAndClosesWhenWhole) {
    // Major axis along drawing (2, 0), ratio 0.5: drawing (2,0) (0,1) (-2,0)
    // (0,-1), i.e. machine (X0 Y2) (X1 Y0) (X0 Y-2) (X-1 Y0), and back.
    const std::string e = "0|ELLIPSE|8|0|10|0|20|0|30|0|11|2|21|0|31|0|40|0.5|41|0|42|6.283185307";
    DxfImportSettings s = PlainSettings("*", 3);
    s.ellipsePoints = 4;
    EXPECT_EQ(Read(Drawing(e), s),
              (Lines{"G01 X0.000 Y2.000 ", "G01 X1.000 Y0.000 ", "G01 X1.000 Y0.000 ", "G01 X0.000 Y-2.000 ",
                     "G01 X0.000 Y-2.000 ", "G01 X-1.000 Y0.000 ", "G01 X-1.000 Y0.000 ", "G01 X0.000 Y2.000 "}));
    // A major axis in the second quadrant of the drawing keeps its direction:
    // the first point is the axis end, drawing (-1, 1).
    const std::string tilted = "0|ELLIPSE|8|0|10|0|20|0|30|0|11|-1|21|1|31|0|40|0.5|41|0|42|6.283185307";
    const Lines t = Read(Drawing(tilted), s);
    ASSERT_EQ(t.size(), 8u);
    EXPECT_EQ(t[0], "G01 X1.000 Y-1.000 ");
    EXPECT_EQ(t[7], "G01 X1.000 Y-1.000 ");
}

TEST(DxfVariants, CorelCopyGetsZeroZAndIsRemoved) {
    // Corel files have four-character codes and no 30/31 groups.
    std::string d = "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\n0\n  10\n1\n  20\n2\n  11\n3\n  21\n4\n  0\nENDSEC\n";
    DxfImportSettings s = PlainSettings();
    s.corel = true;
    s.includeZ = true;
    DxfScratch scratch;
    DxfReadResult r = ReadFile(scratch.write("in.dxf", d), s, scratch);
    ASSERT_EQ(r.status, DxfReadStatus::Read) << r.message;
    EXPECT_EQ(r.SegmentLines(), (Lines{"G01 X2.0000 Y1.0000 Z0.0000", "G01 X4.0000 Y3.0000 Z0.0000"}));
    EXPECT_FALSE(std::filesystem::exists(scratch.file("NewDXF.$$$")));
}

TEST(DxfVariants, CorelPrePassLooksAtPairsNotLines) {
    // A layer named "20" is a value: no Z group follows it. The 20 and 21
    // codes written without a 30 or 31 get one, spelt like them.
    DxfScratch scratch;
    const std::string in = scratch.write(
        "in.dxf", "  0\nLINE\n  8\n20\n  10\n1\n  20\n2\n  11\n3\n21\n4\n  0\nEOF\n");
    std::vector<long long> added;
    ASSERT_TRUE(AddZtoDXF(in, scratch.file("out.dxf"), &added).ok);
    std::string out;
    ASSERT_TRUE(ReadFileBytes(scratch.file("out.dxf"), out).ok);
    EXPECT_EQ(out, "  0\nLINE\n  8\n20\n  10\n1\n  20\n2\n  30\n0\n  11\n3\n21\n4\n31\n0\n  0\nEOF\n");
    EXPECT_EQ(added, (std::vector<long long>{9, 15}));
}

// Values are read by a short path for the plain decimal form and by the full
// reader otherwise; either way a value means the same number.
TEST(DxfEntities, EveryFormOfAValueReadsAsTheSameNumber) {
    const Lines plain = Read(Drawing("0|LINE|8|0|10|1.5|20|-2.25|30|0.0|11|30.0|21|0.0|31|0.0"), PlainSettings("*"));
    const char* forms[][4] = {
        {"+1.5", "-2.250", "3e1", "-0"},
        {" 1.50 ", "\t-2.25", "30.", "0"},
        {"1.5000000000000000000001", "-2.25e0", "030", "-0.000"},
        {"15e-1", "-225E-2", "30.000000000000000000000000", "+0.0"},
    };
    for (const auto& f : forms) {
        const std::string d = std::string("0|LINE|8|0|10|") + f[0] + "|20|" + f[1] + "|30|0.0|11|" + f[2] +
                              "|21|" + f[3] + "|31|0.0";
        EXPECT_EQ(Read(Drawing(d), PlainSettings("*")), plain) << f[0] << " " << f[1] << " " << f[2] << " " << f[3];
    }
    // A first value that is not a number names its line (".5" and "5." read).
    DxfScratch scratch;
    const DxfReadResult bad = ReadFile(
        scratch.write("bad.dxf", Drawing("0|LINE|8|0|10|.5|20|5.|30|0.0|11|1-2|21|0|31|0")), PlainSettings("*"), scratch);
    EXPECT_EQ(bad.status, DxfReadStatus::Failed);
    EXPECT_NE(bad.message.find("holds \"1-2\""), std::string::npos) << bad.message;
}

// A bulge arc's centre is right to the written decimals, for slanted chords
// short and long and bulges of a half, a whole and twice a half circle's.
// The expected centre is the chord's midpoint moved along its left normal by
// half the chord times cot(theta / 2), theta = 4 atan(bulge) the signed
// included angle; program X is drawing Y.
TEST(DxfEntities, BulgeArcCentreIsRightToTheWrittenDecimals) {
    const double chords[][4] = {
        {33.3, 77.7, 529.1, 311.3}, {1.2, 3.4, 1.9, 3.1}, {-10.5, 4.25, 1.75, -6.5}, {1234.5, -2345.6, -3456.7, 4567.8}};
    for (const auto& c : chords) {
        for (double b : {1.0, -1.0, 0.5, -0.5, 2.0, -2.0}) {
            char pairs[256];
            std::snprintf(pairs, sizeof pairs, "0|LWPOLYLINE|8|0|90|2|70|0|10|%g|20|%g|42|%g|10|%g|20|%g", c[0], c[1],
                          b, c[2], c[3]);
            const Lines l = Read(Drawing(pairs), PlainSettings());
            ASSERT_EQ(l.size(), 2u) << pairs;
            const double dx = c[2] - c[0], dy = c[3] - c[1];
            const double cot = 1.0 / std::tan(2.0 * std::atan(b));
            const double cx = (c[0] + c[2]) / 2 - dy / 2 * cot, cy = (c[1] + c[3]) / 2 + dx / 2 * cot;
            double i = 0, j = 0;
            ASSERT_EQ(std::sscanf(l[1].c_str() + 3, " X%*f Y%*f I%lf J%lf", &i, &j), 2) << l[1];
            EXPECT_EQ(l[1].substr(0, 3), b > 0 ? "G02" : "G03") << pairs;
            auto tolerance = [](double v) { return 1e-4 + 1e-6 * std::fabs(v); };
            EXPECT_NEAR(i, cy, tolerance(cy)) << pairs << "\n" << l[1];
            EXPECT_NEAR(j, cx, tolerance(cx)) << pairs << "\n" << l[1];
        }
    }
    // A closed polyline's closing segment carries the last vertex's bulge:
    // from the second vertex back to the first, after a straight first segment.
    for (const auto& c : chords) {
        for (double b : {1.0, -0.5, 2.0}) {
            char pairs[256];
            std::snprintf(pairs, sizeof pairs, "0|LWPOLYLINE|8|0|90|2|70|1|10|%g|20|%g|10|%g|20|%g|42|%g", c[0], c[1],
                          c[2], c[3], b);
            const Lines l = Read(Drawing(pairs), PlainSettings());
            ASSERT_EQ(l.size(), 4u) << pairs;
            EXPECT_EQ(l[1].substr(0, 3), "G01") << pairs;
            ASSERT_EQ(l[3].substr(0, 3), b > 0 ? "G02" : "G03") << pairs << "\n" << l[3];
            const double dx = c[0] - c[2], dy = c[1] - c[3];
            const double cot = 1.0 / std::tan(2.0 * std::atan(b));
            const double cx = (c[0] + c[2]) / 2 - dy / 2 * cot, cy = (c[1] + c[3]) / 2 + dx / 2 * cot;
            double x = 0, y = 0, i = 0, j = 0;
            ASSERT_EQ(std::sscanf(l[3].c_str() + 3, " X%lf Y%lf I%lf J%lf", &x, &y, &i, &j), 4) << l[3];
            auto tolerance = [](double v) { return 1e-4 + 1e-6 * std::fabs(v); };
            EXPECT_NEAR(x, c[1], tolerance(c[1])) << l[3];
            EXPECT_NEAR(y, c[0], tolerance(c[0])) << l[3];
            EXPECT_NEAR(i, cy, tolerance(cy)) << pairs << "\n" << l[3];
            EXPECT_NEAR(j, cx, tolerance(cx)) << pairs << "\n" << l[3];
        }
    }
    // The half circle from drawing (33.3, 77.7) to (529.1, 311.3) about the
    // midpoint, written exactly.
    const Lines half = Read(Drawing("0|LWPOLYLINE|8|0|90|2|70|0|10|33.3|20|77.7|42|1|10|529.1|20|311.3"), PlainSettings());
    EXPECT_EQ(half[1], "G02 X311.3000 Y529.1000  I194.5000 J281.2000  ");
}

// A pair whose code line is nine blanks and "7" is passed over with the pair
// after it; an entity start after it still starts the entity.
TEST(DxfVariants, NineBlanksAndSevenSkipsThePairAfterIt) {
    const Lines l = Read(Drawing("0|LINE|8|0|         7|STANDARD|10|99|10|1|20|2|11|3|21|4"), PlainSettings());
    EXPECT_EQ(l, (Lines{"G01 X2.0000 Y1.0000 ", "G01 X4.0000 Y3.0000 "}));
    const Lines next =
        Read(Drawing("0|TEXT|8|0|         7|STANDARD|0|LINE|8|0|10|1|20|2|11|3|21|4"), PlainSettings());
    EXPECT_EQ(next, (Lines{"G01 X2.0000 Y1.0000 ", "G01 X4.0000 Y3.0000 "}));
}
