// "Save + Split the File": where the parts are cut and what each holds.
#include "text/split_file.h"

#include <gtest/gtest.h>

using namespace tolva;

namespace {

SplitCodes codes(const std::string& perPart) { return {perPart, " :3000", "M99 (TAIL)", "M30"}; }

std::vector<std::string> program(int n, std::initializer_list<int> m91) {
    std::vector<std::string> lines;
    for (int i = 0; i < n; ++i) lines.push_back("N" + std::to_string(i) + " G01 X" + std::to_string(i));
    for (int i : m91) lines[i] += " M91";
    return lines;
}

std::vector<std::string> slice(const std::vector<std::string>& v, int from, int to) {
    return {v.begin() + from, v.begin() + to + 1};
}

}  // namespace

TEST(SaveAndSplit, PartsEndAtTheFirstM91PastTheirBudget) {
    // 400 lines, M91 at lines 150 and 260 (and one at 40, before the first
    // budget of 100 lines), 100 lines a part.
    const auto lines = program(400, {40, 150, 260});
    const SplitPlan plan = SplitProgram(lines, codes("100"), "/shop/JOB.NC");
    ASSERT_TRUE(plan.tooSmall.empty());
    ASSERT_EQ(plan.parts.size(), 3u);
    EXPECT_EQ(plan.parts[0].fileName, "/shop/JOB_1.TXT");
    EXPECT_EQ(plan.parts[1].fileName, "/shop/JOB_2.TXT");
    EXPECT_EQ(plan.parts[2].fileName, "/shop/JOB_3.TXT");

    std::vector<std::string> first = slice(lines, 0, 150);
    first.insert(first.end(), {"M99 (TAIL)", "M30"});
    EXPECT_EQ(plan.parts[0].lines, first);
    std::vector<std::string> second = {"M30", ":3001"};
    for (const auto& l : slice(lines, 151, 260)) second.push_back(l);
    second.insert(second.end(), {"M99 (TAIL)", "M30"});
    EXPECT_EQ(plan.parts[1].lines, second);
    // Without another M91 the last part runs to the fourth line from the end.
    std::vector<std::string> third = {"M30", ":3002"};
    for (const auto& l : slice(lines, 261, 396)) third.push_back(l);
    third.insert(third.end(), {"M99 (TAIL)", "M30"});
    EXPECT_EQ(plan.parts[2].lines, third);
}

TEST(SaveAndSplit, TooSmallAndUnreadableSettings) {
    SplitPlan plan = SplitProgram(program(99, {}), codes("100"), "JOB.NC");
    EXPECT_EQ(plan.tooSmall, "File is too samll to split Less than 100 Lines");
    EXPECT_TRUE(plan.parts.empty());
    // Row 72 not a whole number: 5000 lines a part.
    plan = SplitProgram(program(4000, {}), codes("1OO"), "JOB.NC");
    EXPECT_EQ(plan.tooSmall, "File is too samll to split Less than 5000 Lines");
    // Row 23 not a whole number: the second part is program 3001.
    plan = SplitProgram(program(30, {12}), {"10", "O12A", "", "M30"}, "JOB");
    ASSERT_EQ(plan.parts.size(), 2u);
    EXPECT_EQ(plan.parts[1].lines[1], ":3001");
    EXPECT_EQ(plan.parts[0].fileName, "JOB_1.TXT");
    // The program's folder may have a period in its name.
    EXPECT_EQ(SplitFileName("/a.b/JOB", 2), "/a.b/JOB_2.TXT");
}

TEST(SaveAndSplit, ShortProgramsStopAtTheirEndWhateverTheBudget) {
    // A budget of 2 lines or less and three lines or fewer: the parts never
    // meet the line three from the end, and must not read past the last.
    for (const char* m : {"2", "1", "0", "-5"})
        for (int n = 1; n <= 3; ++n) {
            const auto lines = program(n, {0});
            const SplitPlan plan = SplitProgram(lines, codes(m), "P.NC");
            if (!plan.tooSmall.empty()) continue;  // fewer lines than the budget
            ASSERT_EQ(plan.parts.size(), 1u) << m << " " << n;
            EXPECT_EQ(plan.parts[0].lines, (std::vector<std::string>{lines[0], "M99 (TAIL)", "M30"})) << m << " " << n;
        }
    EXPECT_FALSE(SplitProgram({}, codes("-5"), "P.NC").tooSmall.empty());
}
