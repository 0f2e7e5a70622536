#include "app/recent_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../support/temp_folder.h"

namespace tolva {
namespace {

TEST(RecentFiles, NewestFirstEachOnceAtMostEightAndKeptBetweenRuns) {
    std::vector<std::string> list;
    for (int i = 1; i <= 10; ++i) PushRecentFile(list, "/p/" + std::to_string(i) + ".nc");
    PushRecentFile(list, "/p/5.nc");  // used again: to the front, not twice
    PushRecentFile(list, "");
    const std::vector<std::string> expect = {"/p/5.nc", "/p/10.nc", "/p/9.nc", "/p/8.nc",
                                             "/p/7.nc", "/p/6.nc",  "/p/4.nc", "/p/3.nc"};
    EXPECT_EQ(list, expect);

    test::TempFolder dir;
    EXPECT_TRUE(LoadRecentFiles(dir.path()).empty());  // none yet
    ASSERT_TRUE(SaveRecentFiles(dir.path(), list).ok);
    EXPECT_EQ(LoadRecentFiles(dir.path()), expect);
}

}  // namespace
}  // namespace tolva
