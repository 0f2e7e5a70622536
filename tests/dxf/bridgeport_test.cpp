#include "dxf/bridgeport.h"

#include <gtest/gtest.h>

using namespace tolva;

namespace {

BridgeportSettings mill() {
    BridgeportSettings s;
    s.codes.letters = Letters{};
    s.codes.codes[LabelRow::Line] = "G01";
    s.codes.codes[LabelRow::ArcCw] = "G02";
    s.codes.codes[LabelRow::ArcCcw] = "G03";
    s.decimals = 4;
    return s;
}

}  // namespace

TEST(Bridgeport, CentresBecomeOffsetsFromTheStart) {
    // A quarter arc from (X0 Y1) to (X1 Y0) about the origin.
    std::vector<std::string> lines = {"G01 X0.0000 Y1.0000", "G02 X1.0000 Y0.0000 I0.0000 J0.0000 M7 N5"};
    CONVERTBRIDGEPORT2(lines, mill());
    EXPECT_EQ(lines[0], "G01 X0.0000 Y1.0000");
    // Z, K and R places stay empty; M and N words of the old line are lost.
    EXPECT_EQ(lines[1], "G02 X1.0000 Y0.0000  I0.0000 J-1.0000   ");
}

TEST(Bridgeport, LinesAndOddTailsAreKept) {
    std::vector<std::string> lines = {"G01 X0 Y0", "G01 X5 Y5", "G01 X1 Y1"};
    auto before = lines;
    CONVERTBRIDGEPORT2(lines, mill());
    EXPECT_EQ(lines, before);
}

TEST(Bridgeport, LatheDiameterHalvesI) {
    BridgeportSettings s = mill();
    s.xDiv2 = true;
    s.xScale = -2.0f;
    std::vector<std::string> lines = {"G01 X4.0000 Z0.0000", "G03 X8.0000 Z-2.0000 I8.0000 K-1.0000"};
    s.includeZ = true;
    CONVERTBRIDGEPORT2(lines, s);
    EXPECT_EQ(lines[1], "G03 X8.0000 Y0.0000 Z-2.0000 I2.0000  K-1.0000  ");
    s.iDiv2 = true;  // I already a diameter: not divided
    lines = {"G01 X4.0000 Z0.0000", "G03 X8.0000 Z-2.0000 I8.0000 K-1.0000"};
    CONVERTBRIDGEPORT2(lines, s);
    EXPECT_NE(lines[1].find(" I4.0000 "), std::string::npos);
    s.iDiv2 = false;
    s.xScale = 0;  // no division by zero
    lines = {"G01 X4.0000 Z0.0000", "G03 X8.0000 Z-2.0000 I8.0000 K-1.0000"};
    CONVERTBRIDGEPORT2(lines, s);
    EXPECT_NE(lines[1].find(" I4.0000 "), std::string::npos);
}

TEST(Bridgeport, RadiusKeptOnlyInRadiusMode) {
    BridgeportSettings s = mill();
    std::vector<std::string> lines = {"G01 X0 Y0", "G03 X2 Y0 R1.0000"};
    CONVERTBRIDGEPORT2(lines, s);
    EXPECT_EQ(lines[1], "G03 X2.0000 Y0.0000      ");
    s.rMode = true;
    lines = {"G01 X0 Y0", "G03 X2 Y0 R1.0000"};
    CONVERTBRIDGEPORT2(lines, s);
    EXPECT_EQ(lines[1], "G03 X2.0000 Y0.0000     R1.0000 ");
}
