// The coordinate form of program text, written hundreds of thousands of times:
// its printf-free path must give exactly what the exact printf rule gives.
#include "text/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

// The rule written with printf alone: round once at the coarser of
// `decimals` places and 7 significant digits, then pad with zeros.
std::string Reference(long double value, int decimals) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%.6Le", value);
    const int exp10 = std::atoi(std::strchr(buf, 'e') + 1);
    if (exp10 >= 7) return "";  // exponent form: not compared here
    const int sig = 6 - exp10;
    std::snprintf(buf, sizeof buf, "%.*Lf", sig < decimals ? (sig < 0 ? 0 : sig) : decimals, value);
    std::string s = buf;
    if (sig < decimals) {
        std::size_t dot = s.find('.');
        int have = dot == std::string::npos ? 0 : static_cast<int>(s.size() - dot - 1);
        if (decimals > 0 && dot == std::string::npos) s.push_back('.');
        s.append(static_cast<std::size_t>(decimals - have), '0');
    }
    if (s[0] == '-' && s.find_first_of("123456789") == std::string::npos) s.erase(0, 1);
    return s;
}

}  // namespace

TEST(CoordinateTextFast, AgreesWithThePrintfRuleOnFloatsAndTies) {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> mag(-9.0, 7.5);
    for (int i = 0; i < 200000; ++i) {
        const float v = static_cast<float>((rng() & 1 ? -1 : 1) * std::pow(10.0, mag(rng)));
        const int decimals = static_cast<int>(rng() % 10);
        const std::string ref = Reference(v, decimals);
        if (ref.empty()) continue;
        ASSERT_EQ(tolva::CoordinateText(v, decimals), ref) << static_cast<double>(v) << " " << decimals;
    }
    // Exact ties go to the even digit; carries into a new digit.
    EXPECT_EQ(tolva::CoordinateText(0.125L, 2), "0.12");
    EXPECT_EQ(tolva::CoordinateText(0.375L, 2), "0.38");
    EXPECT_EQ(tolva::CoordinateText(2.5L, 0), "2");
    EXPECT_EQ(tolva::CoordinateText(-0.00004L, 4), "0.0000");
    EXPECT_EQ(tolva::CoordinateText(9.99996L, 4), "10.0000");
    EXPECT_EQ(tolva::CoordinateText(12345.678L, 4), "12345.6800");
    EXPECT_EQ(tolva::CoordinateText(9999999.6L, 4), "9999999.6000");  // beyond 7 digits: all of them
}

// Values that are not 32-bit floats take the long double path; floats just
// beside a tie (one unit in the last place either way) must round as exact
// decimal arithmetic does, not as a tolerance guesses.
TEST(CoordinateTextFast, AgreesWithThePrintfRuleBesideTiesAndOffFloats) {
    std::mt19937 rng(777);
    std::uniform_real_distribution<double> mag(-6.0, 6.5);
    for (int i = 0; i < 50000; ++i) {
        const double v = (rng() & 1 ? -1 : 1) * std::pow(10.0, mag(rng));
        const int decimals = static_cast<int>(rng() % 10);
        const std::string ref = Reference(v, decimals);
        if (ref.empty()) continue;
        ASSERT_EQ(tolva::CoordinateText(v, decimals), ref) << v << " " << decimals;
    }
    for (int i = 0; i < 50000; ++i) {
        const int decimals = static_cast<int>(rng() % 6);
        const double unit = std::pow(10.0, -decimals);
        const double tie = (static_cast<double>(rng() % 2000000) + 0.5) * unit / (1 + rng() % 8);
        const float at = static_cast<float>(tie);
        for (float v : {at, std::nextafter(at, 0.0f), std::nextafter(at, 1e30f), -at}) {
            const std::string ref = Reference(v, decimals);
            if (ref.empty()) continue;
            ASSERT_EQ(tolva::CoordinateText(v, decimals), ref) << static_cast<double>(v) << " " << decimals;
        }
    }
}
