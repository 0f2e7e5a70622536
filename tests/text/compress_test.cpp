#include "text/compress.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "../support/rs274_oracle.h"
#include "text/axis_codes.h"

using namespace tolva;
using Lines = std::vector<std::string>;

namespace {

// A mill's codes: G02/G03 arcs, G91 incremental, the usual letters.
AxisCodes MillCodes() {
    AxisCodes c;  // letters N R I J K X Y Z
    const std::pair<int, const char*> cells[] = {{LabelRow::ArcCw, "G02"},       {LabelRow::ArcCcw, "G03"},
                                                 {LabelRow::Incremental, "G91"}, {LabelRow::NLetter, "N"},
                                                 {LabelRow::RLetter, "R"},       {LabelRow::ILetter, "I"},
                                                 {LabelRow::JLetter, "J"},       {LabelRow::KLetter, "K"},
                                                 {LabelRow::XLetter, "X"},       {LabelRow::YLetter, "Y"},
                                                 {LabelRow::ZLetter, "Z"}};
    for (auto& [row, code] : cells) c.codes[row] = code;
    return c;
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
    // Every later line is rebuilt N G M X Y Z I J R K rest: the N word stays first.
    EXPECT_EQ(compress({"N10 G01 X1 Y2", "N20 G01 X1 Y3 F5"}, 1), (Lines{"N10 G01 X1 Y2", "N20 G01 Y3 F5"}));
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

TEST(Compress, IncrementalStretchesKeepTheirRepeatedLines) {
    AxisCodes codes = MillCodes();
    codes.codes[LabelRow::Absolute] = "G90";
    // The shipped mill's tail: a home return in G91 after the last cut.
    const Lines source{"G21 G17 G90", "G01 X1 Y1", "G01 X1 Y1", "X1 Y1", "G91 G01 X1", "G01 X1",
                       "G01 X1",      "G90 G01 X5", "G01 X5",   "",      "G91 Z0. G28", "G91 Z0. G28", "M30"};
    for (int super : {0, 1}) {
        RecordingHost host;
        Lines lines = source;
        EXPECT_TRUE(CompressProgram(super, lines, codes, host).ok);
        EXPECT_TRUE(host.messages.empty());
        // The absolute repeats go (as the rules take them: a line after a
        // dropped one is compared with its successor only; super mode keeps
        // "G01 " of a repeat); every line from G91 to G90 stays.
        if (super)
            EXPECT_EQ(lines, (Lines{"G21 G17 G90", "G01 X1 Y1 ", "G01 ", "X1 Y1 ", "G91 G01 X1", "G01 X1", "G01 X1",
                                    "G90 G01 X5", "G01 ", "G91 Z0. G28", "G91 Z0. G28", "M30"}));
        else
            EXPECT_EQ(lines, (Lines{"G21 G17 G90", "G01 X1 Y1", "X1 Y1", "G91 G01 X1", "G01 X1", "G01 X1",
                                    "G90 G01 X5", "G01 X5", "G91 Z0. G28", "G91 Z0. G28", "M30"}));
    }
    // No Incremental code in the table: every line is absolute.
    codes.codes[LabelRow::Incremental].clear();
    RecordingHost host;
    Lines lines{"G91 X1", "G91 X1"};
    EXPECT_TRUE(CompressProgram(0, lines, codes, host).ok);
    EXPECT_EQ(lines, Lines{"G91 X1"});
}

TEST(Compress, TheToolpathStaysTheSameAcrossAbsoluteAndIncrementalStretches) {
    // Programs of absolute and incremental stretches with repeated lines,
    // repeated positions and lines that leave words out; rs274 must run the
    // same moves from the compressed program as from the source.
    AxisCodes codes = MillCodes();
    codes.codes[LabelRow::Absolute] = "G90";
    std::mt19937 rng(6);
    auto coord = [&] { return std::to_string(static_cast<int>(rng() % 5)); };
    for (int n = 0; n < 12; ++n) {
        Lines source{"G21 G17 G90 G94", "G01 F100"};
        bool incremental = false;
        for (int k = 0; k < 60; ++k) {
            const unsigned r = rng() % 10;
            if (r == 0) {
                incremental = !incremental;
                source.push_back(incremental ? "G91" : "G90");
            } else if (r < 4 && source.size() > 2) {
                source.push_back(source.back());  // a repeated line
            } else if (r < 6) {
                source.push_back("X" + coord() + " Y" + coord());  // modal motion
            } else {
                source.push_back(std::string(rng() % 2 ? "G00" : "G01") + " X" + coord() + " Y" + coord() +
                                 (rng() % 3 ? "" : " Z" + coord()));
            }
        }
        source.push_back("G90");
        source.push_back("M2");
        std::vector<test::CanonMove> want;
        ASSERT_NO_FATAL_FAILURE(test::Rs274(source, want));
        for (int super : {0, 1}) {
            Lines lines = source;
            RecordingHost host;
            ASSERT_TRUE(CompressProgram(super, lines, codes, host).ok);
            std::vector<test::CanonMove> got;
            ASSERT_NO_FATAL_FAILURE(test::Rs274(lines, got));
            // A move to where the tool already is draws nothing: leave those out.
            auto moving = [](const std::vector<test::CanonMove>& moves) {
                std::vector<std::tuple<int, double, double, double>> out;
                double x = 0, y = 0, z = 0;
                for (const auto& m : moves) {
                    if (m.x == x && m.y == y && m.z == z) continue;
                    out.emplace_back(m.kind, m.x, m.y, m.z);
                    x = m.x, y = m.y, z = m.z;
                }
                return out;
            };
            ASSERT_EQ(moving(got), moving(want)) << "super " << super << ", program " << n;
        }
    }
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
