// "Save + Split the File": where the parts are cut and what each holds.
#include "text/split_file.h"

#include <gtest/gtest.h>

#include <random>

using namespace tolva;

namespace {

SplitCodes codes(const std::string& perPart) { return {perPart, " :3000", "M99 (TAIL)", "M30", {}}; }

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
    std::vector<std::string> second = {":3001"};
    for (const auto& l : slice(lines, 151, 260)) second.push_back(l);
    second.insert(second.end(), {"M99 (TAIL)", "M30"});
    EXPECT_EQ(plan.parts[1].lines, second);
    // Without another M91 the last part runs to the program's last line.
    std::vector<std::string> third = {":3002"};
    for (const auto& l : slice(lines, 261, 399)) third.push_back(l);
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
    plan = SplitProgram(program(30, {12}), {"10", "O12A", "", "M30", {}}, "JOB");
    ASSERT_EQ(plan.parts.size(), 2u);
    EXPECT_EQ(plan.parts[1].lines[0], ":3001");
    EXPECT_EQ(plan.parts[0].fileName, "JOB_1.TXT");
    // The program's folder may have a period in its name.
    EXPECT_EQ(SplitFileName("/a.b/JOB", 2), "/a.b/JOB_2.TXT");
}

TEST(SaveAndSplit, ShortProgramsStopAtTheirEndWhateverTheBudget) {
    // A budget of 2 lines or less and three lines or fewer: one part of every
    // line, never read past the last.
    for (const char* m : {"2", "1", "0", "-5"})
        for (int n = 1; n <= 3; ++n) {
            const auto lines = program(n, {0});
            const SplitPlan plan = SplitProgram(lines, codes(m), "P.NC");
            if (!plan.tooSmall.empty()) continue;  // fewer lines than the budget
            std::vector<std::string> body;
            for (std::size_t p = 0; p < plan.parts.size(); ++p) {
                const auto& part = plan.parts[p].lines;
                ASSERT_GE(part.size(), (p > 0 ? 1u : 0u) + 3u) << m << " " << n;
                EXPECT_EQ(part.back(), "M30");
                body.insert(body.end(), part.begin() + (p > 0 ? 1 : 0), part.end() - 2);
            }
            EXPECT_EQ(body, lines) << m << " " << n;
        }
    EXPECT_FALSE(SplitProgram({}, codes("-5"), "P.NC").tooSmall.empty());
}

// A real program (opening lines, moves with M91 stops, a tail that ends it):
// every part is a program of its own — it opens as the program opened, with
// its own number, and ends with the end code once — and the parts' moves
// together are the program's lines, each once, in order.
TEST(SaveAndSplit, EveryPartIsAProgramAndThePartsHoldEveryLine) {
    std::mt19937 rng(7);
    const std::vector<std::string> head = {"%", "O1000 (PLATE)", "G21 G90 G17", "T1 M06", "S1200 M03"};
    const std::vector<std::string> tail = {"G00 Z5", "M05", "G91 G28 Z0", "M30", "%"};
    for (int run = 0; run < 50; ++run) {
        std::vector<std::string> lines = head;
        const int moves = 20 + int(rng() % 200);
        for (int k = 0; k < moves; ++k)
            lines.push_back("G01 X" + std::to_string(k) + " Y1" + (rng() % 7 == 0 ? " M91" : ""));
        lines.insert(lines.end(), tail.begin(), tail.end());
        const SplitPlan plan = SplitProgram(lines, codes(std::to_string(5 + rng() % 40)), "P.NC");
        ASSERT_TRUE(plan.tooSmall.empty());
        std::vector<std::string> body;
        for (std::size_t p = 0; p < plan.parts.size(); ++p) {
            const std::vector<std::string>& part = plan.parts[p].lines;
            std::size_t from = 0;
            if (p > 0) {
                std::vector<std::string> opening = head;
                opening[1] = ":" + std::to_string(3000 + p);
                ASSERT_GE(part.size(), opening.size());
                EXPECT_EQ(std::vector<std::string>(part.begin(), part.begin() + 5), opening) << run;
                from = opening.size();
            }
            std::size_t to = part.size();
            if (p + 1 < plan.parts.size()) {
                ASSERT_GE(part.size(), from + 2);
                EXPECT_EQ(part[to - 2], "M99 (TAIL)");
                EXPECT_EQ(part[to - 1], "M30");
                to -= 2;
            }
            int ends = 0;
            for (std::size_t k = 0; k < part.size(); ++k) ends += part[k] == "M30";
            EXPECT_EQ(ends, 1) << run << " part " << p;
            body.insert(body.end(), part.begin() + static_cast<std::ptrdiff_t>(from),
                        part.begin() + static_cast<std::ptrdiff_t>(to));
        }
        EXPECT_EQ(body, lines) << run;
    }
}
