#include "settings/label_table.h"

#include <gtest/gtest.h>

#include <set>

#include "settings/ini_file.h"

using namespace tolva;

TEST(LabelKeys, EveryStoredCellHasItsOwnKey) {
    std::set<std::string> keys;
    for (int r = 0; r < kStoredLabelRows; ++r)
        for (int c = 0; c < 2; ++c) keys.insert(LabelTable::LoadKey(c, r));
    EXPECT_EQ(keys.size(), 184u);
    EXPECT_EQ(LabelTable::LoadKey(1, 0), "File Start");
    EXPECT_EQ(LabelTable::LoadKey(0, 0), "Title0");
    EXPECT_EQ(LabelTable::LoadKey(1, 11), "Lead In");
    EXPECT_EQ(LabelTable::LoadKey(1, 19), "Z Letter");
    EXPECT_EQ(LabelTable::LoadKey(0, 22), "Title22");
    EXPECT_EQ(LabelTable::LoadKey(1, 23), "Trans123");
    EXPECT_EQ(LabelTable::LoadKey(0, 23), "Trans023");
    EXPECT_EQ(LabelTable::LoadKey(0, 79), "Trans079");
    EXPECT_EQ(LabelTable::LoadKey(1, 80), "A Letter");
    EXPECT_EQ(LabelTable::LoadKey(0, 80), "Title80");
    EXPECT_EQ(LabelTable::LoadKey(1, 91), "G13");
    EXPECT_EQ(LabelTable::LoadKey(1, 92), "");
    EXPECT_EQ(LabelTable::LoadKey(1, 20), "XY PLANE");
    EXPECT_EQ(LabelTable::SaveKey(1, 20), "XY Plane");
    EXPECT_EQ(LabelTable::SaveKey(1, 21), "XZ Plane");
    EXPECT_EQ(LabelTable::SaveKey(1, 22), "YZ Plane");
    EXPECT_EQ(LabelTable::SaveKey(0, 20), "Title20");
}

TEST(LabelTableFile, LoadSaveAndMissingSection) {
    LabelTable t;
    t.Load(IniFile("[Other]\nx=1\n"));
    for (int r = 0; r < kLabelRows; ++r) {
        EXPECT_EQ(t.Cell(0, r), "");
        EXPECT_EQ(t.Cell(1, r), "");
        EXPECT_EQ(t.Cell(2, r), std::to_string(r + 1));
    }
    t.SetCell(1, 20, "G17");
    t.SetCell(0, 29, "G01");
    t.SetCell(1, 29, "G1");
    t.SetCell(1, 95, "never stored");
    IniFile out;
    t.Save(out);
    std::string bytes = out.Bytes();
    EXPECT_EQ(bytes.rfind("[Labels]\nFile Start=\nTitle0=\nLine=\n", 0), 0u);
    EXPECT_NE(bytes.find("XY Plane=G17\n"), std::string::npos);
    EXPECT_NE(bytes.find("Trans129=G1\nTrans029=G01\n"), std::string::npos);
    EXPECT_EQ(bytes.find("never stored"), std::string::npos);

    LabelTable back;
    back.Load(IniFile(bytes));
    EXPECT_EQ(back.Cell(1, 20), "G17");  // "XY PLANE" finds "XY Plane"
    EXPECT_EQ(back.Cell(0, 29), "G01");
    EXPECT_EQ(back.Cell(1, 95), "");
}

class TranslateTest : public ::testing::Test {
protected:
    void pair(int row, std::string from, std::string to) {
        t.SetCell(0, row, std::move(from));
        t.SetCell(1, row, std::move(to));
    }
    std::string run(std::string line, int first = 29, int last = 69) {
        std::vector<std::string> lines{std::move(line)};
        TranslateLines(t, first, last, lines);
        return lines[0];
    }
    LabelTable t;
};

TEST_F(TranslateTest, OnlyTheFirstOccurrenceCaseSensitive) {
    pair(29, "G01", "G1");
    EXPECT_EQ(run("G01 X1 G01"), "G1 X1 G01");
    EXPECT_EQ(run("g01 X1"), "g01 X1");
}

TEST_F(TranslateTest, RowsApplyInOrderToTheResultOfTheOneBefore) {
    pair(29, "A", "B");
    pair(30, "B", "C");
    EXPECT_EQ(run("A"), "C");
    pair(29, "B", "C");
    pair(30, "A", "B");
    EXPECT_EQ(run("A"), "B");
}

TEST_F(TranslateTest, EmptyFromNeverMatchesAndEmptyToDeletes) {
    pair(29, "", "X");
    pair(30, " (DEL)", "");
    EXPECT_EQ(run("G00 (DEL)"), "G00");
}

TEST_F(TranslateTest, HalvesShareRow49AndResultIsCutTo255) {
    pair(49, "A", "AA");
    std::string line = run(run("A", 29, 49), 49, 69);
    EXPECT_EQ(line, "AAA");
    pair(29, "X", std::string(300, 'Y'));
    EXPECT_EQ(run("X1").size(), 255u);
    EXPECT_EQ(Translate(t, 29, "X1"), std::string(255, 'Y'));
}

TEST(Setaxis, BlanksLeaveTheCodeRowsOnlyAndAreWrittenBack) {
    LabelTable t;
    t.SetCell(1, 0, "% START");
    t.SetCell(1, 1, " G 01 ");
    t.SetCell(1, 17, " X");
    t.SetCell(1, 20, "G 17");
    t.SetCell(1, 70, "( ");
    t.SetCell(1, 80, " A ");
    t.SetCell(1, 90, "G 12");
    AxisCodes a = MakeAxisCodes(t, false, false);
    EXPECT_EQ(t.Cell(1, 1), "G01");
    EXPECT_EQ(t.Cell(1, 17), "X");
    EXPECT_EQ(t.Cell(1, 80), "A");
    EXPECT_EQ(t.Cell(1, 90), "G12");
    EXPECT_EQ(t.Cell(1, 0), "% START");  // used exactly as typed
    EXPECT_EQ(t.Cell(1, 20), "G 17");
    EXPECT_EQ(t.Cell(1, 70), "( ");
    EXPECT_EQ(a.Code(LabelRow::Line), "G01");
    EXPECT_EQ(a.letters.X, "X");
    EXPECT_EQ(a.letters.Y, "");  // empty cell, empty letter
}

TEST(Setaxis, AxisSwapsExchangeTheLettersNotTheCells) {
    LabelTable t;
    const char* letters[] = {"N", "R", "I", "J", "K", "X", "Y", "Z"};
    for (int r = 12; r <= 19; ++r) t.SetCell(1, r, letters[r - 12]);
    AxisCodes xy = MakeAxisCodes(t, true, false);
    EXPECT_EQ(xy.letters.X + xy.letters.Y + xy.letters.Z, "YXZ");
    EXPECT_EQ(xy.letters.I + xy.letters.J + xy.letters.K, "JIK");
    EXPECT_EQ(xy.Code(LabelRow::XLetter), "X");
    AxisCodes yz = MakeAxisCodes(t, false, true);
    EXPECT_EQ(yz.letters.X + yz.letters.Y + yz.letters.Z, "XZY");
    EXPECT_EQ(yz.letters.I + yz.letters.J + yz.letters.K, "IKJ");
    EXPECT_EQ(yz.letters.N + yz.letters.R, "NR");
}
