#include "text/line_edits.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tolva;
using Lines = std::vector<std::string>;

TEST(LineEdits, NumberingLeavesAGapWhereALineHasItsOwnNumber) {
    // An N in a comment is no line number; a small n is.
    Lines p{"G00 X0", "N5 G01 X1", "G01 X2", "", "G00 X0 (NEXT)", "n0080 G90 M9", "G01 X3 ;N7"};
    EXPECT_TRUE(Renumber(p, "N", 1000, 10));
    EXPECT_EQ(p, (Lines{"N1000 G00 X0", "N5 G01 X1", "N1020 G01 X2", "N1030 ", "N1040 G00 X0 (NEXT)", "n0080 G90 M9",
                        "N1060 G01 X3 ;N7"}));
    EXPECT_FALSE(Renumber(p, "", 1000, 10));
}

TEST(LineEdits, RemovingNumbersDropsEverythingUpToTheNextWord) {
    Lines p{"N10 G01 X1", "G01 N10 X1", "N10", "NX1", "N 10 Y2", "G00 X0 (NEXT)", "(PLAN) N20 X1", "n0080 G90 M9",
            "G01 ;N5 X1"};
    EXPECT_TRUE(RemoveNumbers(p, "N"));
    // An N inside a comment is no line number: the line keeps its words.
    EXPECT_EQ(p, (Lines{"G01 X1", "X1", "", "X1", "Y2", "G00 X0 (NEXT)", "X1", "G90 M9", "G01 ;N5 X1"}));
}

TEST(LineEdits, CommentsBlanksAndLineEnds) {
    Lines c{"G01 X1 (ROUGH) (PASS 2)", "G01 X1 ) (", "(A"};
    EXPECT_TRUE(RemoveComments(c, "(", ")"));
    EXPECT_EQ(c, (Lines{"G01 X1  (PASS 2)", "G01 X1 ) (", "(A"}));

    Lines s{"G01 X 1\tY2 ", ""};
    EXPECT_TRUE(RemoveSpaces(s));
    EXPECT_EQ(s, (Lines{"G01X1\tY2", ""}));
    EXPECT_FALSE(RemoveSpaces(s));

    Lines e{"G01 X1", "G01 X1$;", "G01$; X1"};
    EXPECT_TRUE(AddLineEnds(e, "$;"));
    EXPECT_EQ(e, (Lines{"G01 X1$;", "G01 X1$;", "G01$; X1"}));
    EXPECT_TRUE(RemoveLineEnds(e, "$;"));
    EXPECT_EQ(e, (Lines{"G01 X1", "G01 X1", "G01 X1"}));
    EXPECT_FALSE(AddLineEnds(e, ""));
    EXPECT_FALSE(RemoveLineEnds(e, ""));
}

TEST(LineEdits, LongLinesKeepTheirTail) {
    const std::string tail(100000, 'A');
    Lines p{"G01 X1 " + tail};
    Renumber(p, "N", 1, 1);
    RemoveSpaces(p);
    AddLineEnds(p, "$;");
    EXPECT_EQ(p[0], "N1G01X1" + tail + "$;");
    RemoveNumbers(p, "N");
    EXPECT_EQ(p[0], "G01X1" + tail + "$;");
}
