#include "text/label_code.h"

#include <cctype>
#include <random>
#include <gtest/gtest.h>

using namespace tolva;

TEST(LabelCode, FoundAsTheFirstEqualWordOutsideComments) {
    // Lines of words with their numbers spelled in many ways (leading and
    // trailing zeros, either letter case, blanks) and comments holding words
    // too; the code is one word of the same value. The generator knows where
    // it put each word, so the answer is the first word of that letter and
    // value outside a comment.
    std::mt19937 rng(7);
    const std::string letters = "GMXD";
    auto spell = [&](char letter, int value) {
        std::string s(1, rng() % 3 == 0 ? static_cast<char>(letter - 'A' + 'a') : letter);
        if (rng() % 4 == 0) s += ' ';
        const std::string digits = std::to_string(value);
        s += std::string(rng() % 3, '0') + digits;
        if (rng() % 3 == 0) s += "." + std::string(rng() % 3, '0');
        return s;
    };
    for (int n = 0; n < 20000; ++n) {
        const char letter = letters[rng() % letters.size()];
        const int value = static_cast<int>(rng() % 30);
        std::string code = spell(letter, value);
        std::string line;
        std::size_t want = std::string::npos;
        bool semicolon = false;
        for (int w = 0, words = 1 + static_cast<int>(rng() % 6); w < words && !semicolon; ++w) {
            const int form = static_cast<int>(rng() % 8);
            if (form == 0) {
                line += "(" + spell(letter, value) + ")";
            } else if (form == 1) {
                line += ";" + spell(letter, value);
                semicolon = true;
            } else {
                const char l = letters[rng() % letters.size()];
                const int v = static_cast<int>(rng() % 30);
                if (want == std::string::npos && l == letter && v == value) want = line.size();
                line += spell(l, v);
            }
            if (rng() % 2) line += rng() % 2 ? " " : "\t";
        }
        ASSERT_EQ(FindCode(line, code), want) << "'" << code << "' in '" << line << "'";
        ASSERT_EQ(CodeFinder(code).Find(line), want) << "'" << code << "' in '" << line << "'";
        const CodeSpan span = FindCodeSpan(line, code);
        if (want != std::string::npos) {
            // The span covers the word as the line spells it: its number ends there.
            ASSERT_TRUE(span.end == line.size() || !std::isdigit(static_cast<unsigned char>(line[span.end])))
                << "'" << code << "' in '" << line << "'";
        }
    }
}

TEST(LabelCode, WholeCodesOnly) {
    constexpr std::size_t no = std::string_view::npos;
    const struct {
        const char* line;
        const char* code;
        std::size_t at;
    } cases[] = {
        // Arc codes written short are not the unit or home codes that start alike.
        {"G21 G17 G40 G80 G90", "G2", no},
        {"G91 Z0. G28", "G2", no},
        {"G91 Z0. G28", "G28", 8},
        {"G17 G2 X1 Y1 I1", "G02", 4},
        {"G17G02X1", "G2", 3},
        {"G90.1", "G90", no},
        {"G90.1", "G90.1", 0},
        {"G21 G17G40G80G90", "G90", 13},
        // A code of several words: the kerf code with its offset number.
        {"G41D01", "G41D01", 0},
        {"g41 d1 X5", "G41D01", 0},
        {"G41D01", "G41", 0},
        {"G41 D02", "G41D01", no},
        {"G41", "G41D01", no},
        // The case of a letter carries no meaning.
        {"n0090 g20", "G20", 6},
        {"n0080 G90 M9", "N", 0},
        // Comments are not searched, whichever way they are written.
        {"G90 (G91 NEXT)", "G91", no},
        {"G01 X2 ;G91 NEXT", "G91", no},
        {"G90 (ROUGH POCKET)", "K", no},
        {"(G91 NEXT) G91", "G91", 11},
        // A letter alone is its word, whatever the number.
        {"G01 x-1.5", "X", 4},
        {"G01 Y1", "X", no},
        // Other characters stand for themselves.
        {"%", "%", 0},
        {"(%)", "%", no},
    };
    for (const auto& c : cases) EXPECT_EQ(FindCode(c.line, c.code), c.at) << "'" << c.code << "' in '" << c.line << "'";
}

TEST(LabelCode, RebuiltRetractLineStillHoldsTheCutOffCode) {
    EXPECT_TRUE(HasCode("G00 Z5.000 ", "G00Z5.000"));
    EXPECT_TRUE(HasCode("G0 Z5", "G00Z5.000"));
    EXPECT_EQ(FindCode("N10 G00\tZ5.000", "G00 Z5.000"), 4u);
    const CodeSpan s = FindCodeSpan("N10 G00\tZ5.000 M3", "G00 Z5.000");
    EXPECT_EQ(s.pos, 4u);
    EXPECT_EQ(s.end, 14u);
    EXPECT_FALSE(HasCode("G00 M03 Z5.000", "G00Z5.000"));
    EXPECT_FALSE(HasCode("G00 Z5.000", "  "));
    EXPECT_FALSE(HasCode("G00 Z5.000", ""));
}

TEST(LabelCode, ACodeHoldingACommentCharacterIsText) {
    EXPECT_EQ(FindCode("G01 X1 (END)", "(END)"), 7u);
    EXPECT_EQ(FindCode("G01 X1 ;STOP", ";"), 7u);
}

TEST(LabelCode, NumbersOfTheSameValue) {
    EXPECT_TRUE(SameNumber("02", "2"));
    EXPECT_TRUE(SameNumber("5.000", "5"));
    EXPECT_TRUE(SameNumber("-0.0", "0"));
    EXPECT_TRUE(SameNumber(".5", "0.50"));
    EXPECT_TRUE(SameNumber("+1", "1."));
    EXPECT_FALSE(SameNumber("-1", "1"));
    EXPECT_FALSE(SameNumber("20", "2"));
    EXPECT_FALSE(SameNumber("0.2", "2"));
    EXPECT_FALSE(SameNumber("1.5.", "1.5"));
}
