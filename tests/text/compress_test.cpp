#include "text/compress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/label_table.h"

using namespace tolva;
using Lines = std::vector<std::string>;

namespace {

// A mill's codes: G02/G03 arcs, G91 incremental, the usual letters.
AxisCodes MillCodes() {
    LabelTable t;
    const std::pair<int, const char*> cells[] = {{LabelRow::ArcCw, "G02"},       {LabelRow::ArcCcw, "G03"},
                                                 {LabelRow::Incremental, "G91"}, {LabelRow::NLetter, "N"},
                                                 {LabelRow::RLetter, "R"},       {LabelRow::ILetter, "I"},
                                                 {LabelRow::JLetter, "J"},       {LabelRow::KLetter, "K"},
                                                 {LabelRow::XLetter, "X"},       {LabelRow::YLetter, "Y"},
                                                 {LabelRow::ZLetter, "Z"}};
    for (auto& [row, code] : cells) t.SetCell(1, row, code);
    return MakeAxisCodes(t, false, false);
}

Lines compress(Lines lines, int super = 0) {
    RemoveDup(super, lines, MillCodes());
    return lines;
}

}  // namespace

TEST(Compress, ADuplicateGoesAndTheLineAfterItIsComparedOnlyWithItsSuccessor) {
    Lines once = compress({"G01 X1 Y2", "G01 X1 Y2", "X1 Y2"});
    EXPECT_EQ(once, (Lines{"G01 X1 Y2", "X1 Y2"}));
    // The second run compares the survivors: X1 Y2 repeats the position.
    EXPECT_EQ(compress(once), (Lines{"G01 X1 Y2"}));
}

TEST(Compress, RepeatedPositionIgnoresLineNumbersAndBlanks) {
    EXPECT_EQ(compress({"G00 X0 Y0", "N20 X0 Y0"}), (Lines{"G00 X0 Y0"}));
    EXPECT_EQ(compress({"G00 X0 Y0", "X 0 Y0"}), (Lines{"G00 X0 Y0"}));
    // Word text is compared, not values; a new G word or feed keeps the line.
    EXPECT_EQ(compress({"G00 X1.0", "X1.00"}), (Lines{"G00 X1.0", "X1.00"}));
    EXPECT_EQ(compress({"G00 X1 Y1", "G01 X1 Y1"}), (Lines{"G00 X1 Y1", "G01 X1 Y1"}));
    EXPECT_EQ(compress({"G00 X1 Y1", "X1 Y1 F100"}), (Lines{"G00 X1 Y1", "X1 Y1 F100"}));
}

TEST(Compress, ArcEndPointRepeatedWithoutCentreIsDropped) {
    EXPECT_EQ(compress({"G02 X1 Y1 I0.5 J0", "X1 Y1 F50"}), (Lines{"G02 X1 Y1 I0.5 J0"}));
    EXPECT_EQ(compress({"G03 X1 Y1 I0.5 J0", "X1 Y1 S900"}), (Lines{"G03 X1 Y1 I0.5 J0"}));
    // With centre words it is a new arc (a full turn), and an M word is kept.
    EXPECT_EQ(compress({"G02 X1 Y1 I0.5 J0", "X1 Y1 I0.5"}), (Lines{"G02 X1 Y1 I0.5 J0", "X1 Y1 I0.5"}));
    EXPECT_EQ(compress({"G02 X1 Y1 I0.5 J0", "X1 Y1 M05"}), (Lines{"G02 X1 Y1 I0.5 J0", "X1 Y1 M05"}));
    // Not an arc: the feed keeps the line.
    EXPECT_EQ(compress({"G01 X1 Y1", "X1 Y1 F50"}), (Lines{"G01 X1 Y1", "X1 Y1 F50"}));
}

TEST(Compress, EmptyAndBlankLinesGo) {
    EXPECT_EQ(compress({"G01 X1", "", "   ", "G01 X2", ""}), (Lines{"G01 X1", "G01 X2"}));
    EXPECT_EQ(compress({}), Lines{});
    EXPECT_EQ(compress({"   "}), Lines{});
}

TEST(Compress, DeletedFirstLineSkipsTheComparisonOfTheNewFirstTwo) {
    EXPECT_EQ(compress({"", "G01 X1 Y1", "G01 X1 Y1"}), (Lines{"G01 X1 Y1", "G01 X1 Y1"}));
    EXPECT_EQ(compress({"G01 X1 Y1", "G01 X1 Y1"}), (Lines{"G01 X1 Y1"}));
}

TEST(Compress, SuperDropsRepeatedCoordinateWords) {
    EXPECT_EQ(compress({"G01 X1 Y2", "G01 X1 Y3"}), (Lines{"G01 X1 Y2", "G01 X1 Y3"}));
    EXPECT_EQ(compress({"G01 X1 Y2", "G01 X1 Y3"}, 1), (Lines{"G01 X1 Y2", "G01 Y3 "}));
    EXPECT_EQ(compress({"G01 X1 Y2 Z0", "G01 X4 Y2 Z0"}, 1), (Lines{"G01 X1 Y2 Z0", "G01 X4 "}));
    // Every later line is rebuilt G M N X Y Z I J R K rest, N behind G and M.
    EXPECT_EQ(compress({"N10 G01 X1 Y2", "N20 G01 X1 Y3 F5"}, 1), (Lines{"N10 G01 X1 Y2", "G01 N20 Y3 F5"}));
    // The dropped word is compared with the line as already rewritten.
    EXPECT_EQ(compress({"X1 Y2", "X1 Y3", "X1 Y4"}, 1), (Lines{"X1 Y2", "Y3 ", "X1 Y4 "}));
}

TEST(Compress, SuperForgetsAPositionLeftByAMoveItCouldNotRemember) {
    // The move with a feed goes elsewhere; the return to X1 Y2 Z0 is a real move.
    Lines lines = compress({"X1 Y2 Z0", "X5 Y5 Z1 F100", "X1 Y2 Z0"}, 1);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "X1 Y2 Z0");
    // A line that does not move (no X, Y, Z) keeps the remembered position.
    EXPECT_EQ(compress({"X1 Y2 Z0", "M03", "X1 Y2 Z0"}, 1), (Lines{"X1 Y2 Z0", "M03"}));
}

TEST(Compress, CommentsGiveNoWordsAndStayWhole) {
    // Super: the X of the comment is no repeated X word, and the rebuilt
    // line keeps the comment with its blanks.
    EXPECT_EQ(compress({"G01 X1 Y2", "G01 Y3 (X1 AGAIN)"}, 1), (Lines{"G01 X1 Y2", "G01 Y3 (X1 AGAIN)"}));
    // An arc code inside a comment makes no arc of a straight move.
    EXPECT_EQ(compress({"(G02) G01 X1 Y1", "X1 Y1 F50 (GO)"}), (Lines{"(G02) G01 X1 Y1", "X1 Y1 F50 (GO)"}));
    EXPECT_EQ(compress({"(G02) G01 X1 Y1", "X1 Y1 F50"}), (Lines{"(G02) G01 X1 Y1", "X1 Y1 F50"}));
}

TEST(Compress, LongLinesAreComparedWholeAndNeverRewritten) {
    std::string head(300, 'A');
    Lines lines = compress({head + "1", head + "2"}, 1);
    EXPECT_EQ(lines, (Lines{head + "1", head + "2"}));
    EXPECT_EQ(compress({head, head}), Lines{head});
    // One line of 10 MB: kept as it is.
    std::string big(10 * 1024 * 1024, 'X');
    Lines one{big};
    CompressResult r = RemoveDup(1, one, MillCodes());
    EXPECT_FALSE(r.changed);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].size(), big.size());
}

TEST(Compress, IncrementalCodeSwitchesTheDistanceModeAndLeavesTheLineCounter) {
    bool absMode = true;
    int curLine = 0;
    const CompressPlotLink plot{absMode, curLine};
    Lines lines{"G91", "G01 X1", "G01 X1", "M30"};
    RemoveDup(0, lines, MillCodes(), nullptr, &plot);
    EXPECT_FALSE(absMode);
    EXPECT_EQ(curLine, static_cast<int>(lines.size()));
    bool untouched = true;
    int counter = 0;
    const CompressPlotLink other{untouched, counter};
    Lines absolute{"G90", "G01 X1"};
    RemoveDup(0, absolute, MillCodes(), nullptr, &other);
    EXPECT_TRUE(untouched);
}

TEST(Compress, MenuItemsRefuseAnIncrementalProgram) {
    for (int super : {0, 1}) {
        RecordingHost host;
        Lines lines{"G91 G01 X1", "G01 X1"};
        CompressResult r = CompressProgram(super, lines, MillCodes(), host);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(lines.size(), 2u);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0],
                  "File is Incremental\nFunction not supported \nMust be Absolute.  Try Convert to Absolute");
    }
    // No Incremental code in the table: nothing is refused.
    AxisCodes codes = MillCodes();
    codes.codes[LabelRow::Incremental].clear();
    RecordingHost host;
    Lines lines{"G91 X1", "G91 X1"};
    EXPECT_TRUE(CompressProgram(0, lines, codes, host).ok);
    EXPECT_EQ(lines, Lines{"G91 X1"});
}

TEST(Compress, ReportsProgressOnLongPrograms) {
    struct Counting : RecordingHost {
        std::vector<int> progress;
        void Progress(int p) override { progress.push_back(p); }
    } host;
    Lines lines;
    for (int i = 0; i < 100000; ++i) lines.push_back("G01 X" + std::to_string(i));
    RemoveDup(0, lines, MillCodes(), &host);
    ASSERT_FALSE(host.progress.empty());
    EXPECT_LE(host.progress.back(), 1000);
    EXPECT_GE(host.progress.back(), 900);
    EXPECT_EQ(lines.size(), 100000u);
}

TEST(Compress, GoldenProgram) {
    // tests/data/edit: a small post-processor output and its compressed form,
    // traced by hand through the rules.
    auto read = [](const char* name) {
        std::string path = std::string(TOLVA_TEST_DATA) + "/edit/" + name;
        FILE* f = std::fopen(path.c_str(), "rb");
        std::string bytes;
        if (f) {
            char buf[4096];
            std::size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
            std::fclose(f);
        }
        Lines out;
        std::size_t start = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i)
            if (bytes[i] == '\n') out.push_back(bytes.substr(start, i - start)), start = i + 1;
        return out;
    };
    Lines in = read("compress_in.nc");
    ASSERT_FALSE(in.empty());
    EXPECT_EQ(compress(in), read("compress_expected.nc"));
    EXPECT_EQ(compress(in, 1), read("super_expected.nc"));
}
