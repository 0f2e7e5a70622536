#include "text/label_code.h"

#include <random>
#include <gtest/gtest.h>

using namespace tolva;

namespace {
std::string withoutBlanks(std::string_view s) {
    std::string out;
    for (char c : s)
        if (c != ' ' && c != '\t') out += c;
    return out;
}
}  // namespace

TEST(LabelCode, FoundWhereItsCharactersFollowEachOtherPastBlanks) {
    // The plain search on both texts with every blank and tab taken out is
    // the meaning; FindCode must agree with it and point at the code's first
    // character in the line as it stands.
    const std::string alphabet = "G0Z5.( \t";
    std::mt19937 rng(7);
    auto text = [&](std::size_t maxLen) {
        std::string s;
        for (std::size_t i = 0, n = rng() % maxLen; i < n; ++i) s += alphabet[rng() % alphabet.size()];
        return s;
    };
    for (int n = 0; n < 50000; ++n) {
        const std::string line = text(24), code = text(6);
        const std::string l = withoutBlanks(line), c = withoutBlanks(code);
        const std::size_t p = FindCode(line, code);
        const bool want = !c.empty() && l.find(c) != std::string::npos;
        ASSERT_EQ(p != std::string_view::npos, want) << "'" << code << "' in '" << line << "'";
        if (!want) continue;
        // Blanks before p are dropped: the stripped line from there on starts with the code,
        // and no earlier non-blank character starts an occurrence.
        const std::string before = withoutBlanks(std::string_view(line).substr(0, p));
        EXPECT_EQ(l.find(c), before.size()) << "'" << code << "' in '" << line << "'";
        EXPECT_EQ(line[p], c[0]);
    }
}

TEST(LabelCode, RebuiltRetractLineStillHoldsTheCutOffCode) {
    EXPECT_TRUE(HasCode("G00 Z5.000 ", "G00Z5.000"));
    EXPECT_EQ(FindCode("N10 G00\tZ5.000", "G00 Z5.000"), 4u);
    EXPECT_FALSE(HasCode("G00 M03 Z5.000", "G00Z5.000"));
    EXPECT_FALSE(HasCode("G00 Z5.000", "  "));
    EXPECT_FALSE(HasCode("G00 Z5.000", ""));
}
