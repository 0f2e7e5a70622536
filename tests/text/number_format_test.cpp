#include "text/number_format.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace tolva;

TEST(CoordinateText, FixedDecimalsAndSevenSignificantDigits) {
    EXPECT_EQ(CoordinateText(1.5, 4), "1.5000");
    EXPECT_EQ(CoordinateText(12345.678, 4), "12345.6800");
    EXPECT_EQ(CoordinateText(-2.25, 3), "-2.250");
    EXPECT_EQ(CoordinateText(0.5, 0), "0");
    EXPECT_EQ(CoordinateText(0.0123456789L, 9), "0.012345680");
    EXPECT_EQ(CoordinateText(1234567.0, 2), "1234567.00");
}

TEST(CoordinateText, NeverWritesASignedZero) {
    EXPECT_EQ(CoordinateText(-0.0, 4), "0.0000");
    EXPECT_EQ(CoordinateText(5.0L * std::cos(std::acos(-1.0L) / 2) - 1e-12L, 4), "0.0000");
    EXPECT_EQ(CoordinateText(-0.00004, 4), "0.0000");
    EXPECT_EQ(CoordinateText(-0.00005001, 4), "-0.0001");
}

TEST(CoordinateText, TiesGoToEven) {
    EXPECT_EQ(CoordinateText(0.125, 2), "0.12");
    EXPECT_EQ(CoordinateText(0.375, 2), "0.38");
    EXPECT_EQ(CoordinateText(2.5, 0), "2");
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
}

TEST(CoordinateText, ExponentFormBeyondSevenIntegerDigits) {
    EXPECT_EQ(CoordinateText(123456789.0, 3), "1.234568E+008");
    EXPECT_EQ(CoordinateText(9999999.6, 0), "1.000000E+007");
}
