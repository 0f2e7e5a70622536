#include "plot/line_codes.h"

#include <random>
#include <gtest/gtest.h>

#include "text/label_code.h"

using namespace tolva;

TEST(LineCodes, FindsWhatHasCodeFinds) {
    // Codes sharing first characters, prefixes of each other, longer than
    // the line, empty, holding blanks; lines over a small alphabet with
    // blanks and tabs so that they often hit.
    const std::string codes[] = {"G02", "G03", "G0", "G", "M03", "M05", "(", "", "G1G", "XYZ",
                                 "02", "G0 2", " ", "G00Z5", "g2", "G2.5", ";", "%", "X"};
    LineCodes lc;
    for (int i = 0; i < static_cast<int>(std::size(codes)); ++i) lc.Set(i, codes[i]);
    const std::string alphabet = "G0123MXYZ5( \t;).g%";
    std::mt19937 rng(11);
    for (int n = 0; n < 20000; ++n) {
        std::string line;
        for (std::size_t i = 0, len = rng() % 30; i < len; ++i) line += alphabet[rng() % alphabet.size()];
        const std::uint32_t found = lc.Find(line);
        for (int i = 0; i < static_cast<int>(std::size(codes)); ++i) {
            const bool want = HasCode(line, codes[i]);
            ASSERT_EQ((found >> i & 1u) != 0, want) << "'" << codes[i] << "' in '" << line << "'";
        }
    }
}

TEST(LineCodes, ASlotSetAgainForgetsItsOldCode) {
    LineCodes lc;
    lc.Set(3, "M03");
    EXPECT_EQ(lc.Find("M03"), 1u << 3);
    lc.Set(3, "G17");
    EXPECT_EQ(lc.Find("M03"), 0u);
    EXPECT_EQ(lc.Find("G17"), 1u << 3);
    lc.Set(3, "");
    EXPECT_EQ(lc.Find("G17"), 0u);
}
