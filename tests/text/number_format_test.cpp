#include "text/number_format.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <gtest/gtest.h>

#include "text/gcode_words.h"

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

TEST(CoordinateText, BeyondSevenIntegerDigitsEveryDigitAndNoExponent) {
    EXPECT_EQ(CoordinateText(123456789.0, 3), "123456789.000");
    EXPECT_EQ(CoordinateText(9999999.6, 0), "10000000");
    // Written and read back: the value within half a unit of the last decimal.
    std::mt19937 rng(10);
    for (int n = 0; n < 20000; ++n) {
        const double v = (rng() % 2 ? -1.0 : 1.0) * std::ldexp(static_cast<double>(rng()), 1 + static_cast<int>(rng() % 8));
        const int decimals = static_cast<int>(rng() % 5);
        const std::string text = CoordinateText(v, decimals);
        ASSERT_EQ(text.find_first_of("eE"), std::string::npos) << text;
        double back = 0;
        ASSERT_TRUE(ReadNumberText(text, back)) << text;
        ASSERT_LE(std::fabs(back - v), 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9)) << v << " -> " << text;
    }
}

namespace {
// LC_NUMERIC of a German desktop for the length of a test: its decimal
// separator is the comma. The locale comes from the package locales-all.
class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = std::setlocale(LC_NUMERIC, nullptr);
        ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr) << "locale de_DE.UTF-8 is not installed";
        char probe[16];
        std::snprintf(probe, sizeof probe, "%.1f", 1.5);
        ASSERT_STREQ(probe, "1,5") << "the C library does not use the comma locale";
    }
    void TearDown() override { std::setlocale(LC_NUMERIC, old_.c_str()); }

private:
    std::string old_;
};
}  // namespace

TEST_F(CommaLocale, NumbersAreWrittenWithAPeriod) {
    // Ties, more than 9 decimals and the exponent form take the general path.
    EXPECT_EQ(CoordinateText(1.0625L, 3), "1.062");
    EXPECT_EQ(CoordinateText(-2.5L, 12), "-2.500000000000");
    EXPECT_EQ(CoordinateText(0.1L, 3), "0.100");
    EXPECT_EQ(CoordinateText(123456789.0L, 3), "123456789.000");
    EXPECT_EQ(FixedText(1.0L / 3, 10, 12), "0.3333333333");
}

TEST_F(CommaLocale, NumbersAreReadWithAPeriod) {
    // The long mantissa takes the general reading.
    EXPECT_EQ(WordValue("X", "X+0.225").value, 0.225f);
    EXPECT_EQ(WordValue("X", "X12345678901234567890.5").value, 12345678901234567890.5f);
    EXPECT_EQ(WordValue("X", "X-1.25").value, -1.25f);
    double v = 0;
    ASSERT_TRUE(ReadPlainReal("2.75", v));
    EXPECT_EQ(v, 2.75);
}

TEST(ProgramNumber, FixedDecimalsNoSignificantDigitLimitBelowEightIntegerDigits) {
    auto text = [](double v, int d) {
        std::string s;
        tolva::AppendProgramNumber(s, v, d);
        return s;
    };
    EXPECT_EQ(text(2.5, 4), "2.5000");
    EXPECT_EQ(text(-0.25, 4), "-0.2500");
    EXPECT_EQ(text(1999.1234, 4), "1999.1234");
    EXPECT_EQ(text(999.123456789, 9), "999.123456789");
    EXPECT_EQ(text(9999999.1234, 4), "9999999.1234");
    EXPECT_EQ(text(-0.00004, 4), "0.0000");
    EXPECT_EQ(text(2.5, 0), "2");
    EXPECT_EQ(text(3.5, 0), "4");
    EXPECT_EQ(text(9999999.99996, 4), "10000000.0000");
    EXPECT_EQ(text(-123456789.0, 3), "-123456789.000");
}
