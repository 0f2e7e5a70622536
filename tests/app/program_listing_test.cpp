#include "app/program_listing.h"

#include <gtest/gtest.h>

using namespace tolva;

TEST(PrintHeader, PageNumberComesFromTheLineIndex) {
    auto h = PrintHeaderLines(0, "12/7/26", "21:30:00", "/w/p.nc");
    ASSERT_EQ(h.size(), 5u);
    EXPECT_EQ(h[0], " ");
    EXPECT_EQ(h[1], "           Page : 1");
    EXPECT_EQ(h[3], "           Date : 12/7/26    Time : 21:30:00    File : /w/p.nc");
    EXPECT_EQ(PrintHeaderLines(60, "", "", "")[1], "           Page : 2");
    EXPECT_EQ(PrintHeaderLines(100, "", "", "")[1], "           Page : 3");
}
