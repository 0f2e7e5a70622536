// The batch run's reading of operation names, numbers and blocks, and its
// refusals, without the binary.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <unistd.h>

#include "app/batch_run.h"
#include "settings/machine_settings.h"

namespace {

std::string normal(std::string s) {
    std::string out;
    for (char c : s) {
        if (c == '&') continue;
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        out += c;
    }
    return out;
}

TEST(BatchRun, EveryCaptionIsFoundAsSpelledWithoutItsAmpersandAndWithSingleBlanks) {
    std::set<std::pair<std::string, int>> seen;
    for (const tolva::ProgramOperation& op : tolva::ProgramOperations()) {
        const std::string caption(op.caption);
        EXPECT_EQ(tolva::FindProgramOperation(caption, op.values), &op) << caption;
        EXPECT_EQ(tolva::FindProgramOperation(normal(caption), op.values), &op) << caption;
        // No two operations of as many values may read alike, or one would
        // hide the other.
        EXPECT_TRUE(seen.insert({normal(caption), op.values}).second) << caption;
    }
    EXPECT_EQ(tolva::FindProgramOperation("Convert to Absolute G90")->caption, "Convert to Absolute     G90");
    EXPECT_EQ(tolva::FindProgramOperation("swap")->caption, "&Swap");
    EXPECT_EQ(tolva::FindProgramOperation("Compress now"), nullptr);
}

TEST(BatchRun, StepsTakeTheLongestCaptionAndExactlyItsNumbers) {
    std::vector<tolva::BatchStep> steps;
    ASSERT_EQ(tolva::ParsePipeline(" Slide Up Left 5 ;; Flip; Size 2.5;Offset -0.125;Array 3 2.5;Array 2 30 3 20", steps), "");
    ASSERT_EQ(steps.size(), 6u);
    EXPECT_EQ(steps[0].op->caption, "Slide Up Left");
    EXPECT_EQ(steps[0].values, std::vector<double>{5.0});
    EXPECT_TRUE(steps[1].values.empty());
    EXPECT_EQ(steps[2].values, std::vector<double>{2.5});
    EXPECT_EQ(steps[3].values, std::vector<double>{-0.125});
    EXPECT_EQ(steps[4].op->values, 2);
    EXPECT_EQ(steps[5].op->values, 4);
    EXPECT_EQ(steps[5].values, (std::vector<double>{2, 30, 3, 20}));

    for (const char* bad : {"Slide Up", "Slide Up 5 6", "Slide Up five", "Flip 2", "Spin 180", "Array 3", "Array 2.5 3", "Array 0 3", "Array 1000 1", "Array 2 1 3", "Nothing"}) {
        std::vector<tolva::BatchStep> none;
        EXPECT_NE(tolva::ParsePipeline(bad, none), "") << bad;
    }
}

TEST(BatchRun, BlockIsFirstLineAndCount) {
    int start = 0, count = 0;
    EXPECT_TRUE(tolva::ParseBlock("12,5", start, count));
    EXPECT_EQ(start, 12);
    EXPECT_EQ(count, 5);
    for (const char* bad : {"12", "0,5", "3,0", "-1,2", "1,2,3", "a,b", ",4", "1234567890,1"})
        EXPECT_FALSE(tolva::ParseBlock(bad, start, count)) << bad;
}

TEST(BatchRun, RefusedStepWritesNoTargetAndStepsNeedingABlockNeedOne) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("tolva-batch-test-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string source = (dir / "inc.nc").string(), target = (dir / "out.nc").string();
    std::ofstream(source) << "G91\nG01 X1 Y0\nG01 X1 Y0\n";
    tolva::MachineSettings settings(dir.string());
    settings.SetCell(1, 7, "G91");
    settings.SetCell(1, 16, "K");
    tolva::RecordingHost host;

    const std::string threeD = (dir / "k.nc").string();
    std::ofstream(threeD) << "G90\nG18 G02 X1 Z0 I0.5 K0\n";
    EXPECT_EQ(tolva::RunBatchCommand({"Pack the file remove all spaces;Convert to Incremental G91", threeD, target},
                                     settings, host, dir.string()),
              1);
    EXPECT_FALSE(fs::exists(target));
    ASSERT_FALSE(host.messages.empty());
    EXPECT_NE(host.messages.front().find("File is 3d"), std::string::npos);
    // A K in a comment is no centre word.
    const std::string pocket = (dir / "pocket.nc").string();
    std::ofstream(pocket) << "G90 (ROUGH POCKET)\nG01 X1 Y0\n";
    EXPECT_EQ(tolva::RunBatchCommand({"Convert to Incremental G91", pocket, target}, settings, host, dir.string()), 0);
    fs::remove(target);

    EXPECT_EQ(tolva::RunBatchCommand({"Swap", source, target}, settings, host, dir.string()), 2);
    EXPECT_EQ(tolva::RunBatchCommand({"Pack the file remove all spaces", source, target}, settings, host, dir.string()), 0);
    std::ifstream in(target);
    std::string all((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(all, "G91\nG01X1Y0\nG01X1Y0\n");
    fs::remove_all(dir);
}

}  // namespace
