#include "app/app_state.h"

#include <gtest/gtest.h>

using namespace tolva;

TEST(Indicator, PositionTextAndBlock) {
    // Caret at the very start of line 5 (index 4), nothing selected.
    BlockPosition b = ShowLineNumText(4, 3, 0);
    EXPECT_EQ(b.text, "  Pos [5:1]   Sel : [0]   ");
    EXPECT_EQ(b.selStartLine, 3);
    EXPECT_EQ(b.selLineCount, 0);
    BlockPosition first = ShowLineNumText(0, 2, 3);
    EXPECT_EQ(first.selStartLine, -1);
    EXPECT_EQ(first.selLineCount, 3);
}
