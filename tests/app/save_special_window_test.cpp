// The File menu's DXF items, Save As with a DXF name, and Save + Split, on
// the real main window.
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>

#include "main_window_fixture.h"
#include "app/recent_files.h"

namespace {

class DialogForm1 : public TForm1 {
public:
    using TForm1::TForm1;
    QString answer;
    QString askedTitle, askedPreset;

protected:
    QString AskSavePath(const QString&, const QString&) override { return answer; }
    QString AskSaveDxfPath(const QString& title, const QString& preset) override {
        askedTitle = title;
        askedPreset = preset;
        return answer;
    }
};

struct SaveSpecial : tolva::test::MainWindowFixture<DialogForm1> {
    void SetUp() override {
        const char* cells[][2] = {{"1", "G01"}, {"2", "G02"}, {"3", "G03"}, {"10", "M30"}, {"12", "N"},
                                  {"13", "R"},  {"14", "I"},  {"15", "J"},  {"16", "K"},  {"17", "X"},
                                  {"18", "Y"},  {"19", "Z"},  {"23", ":100"}, {"72", "3"}, {"78", "M99"}};
        for (auto& c : cells) settings->SetCell(1, std::stoi(c[0]), c[1]);
        Open();
    }
    void load(const std::string& name, const std::string& text) {
        ASSERT_TRUE(form1->Load_file(QString::fromStdString(file(name, text))));
    }
    static int count(const std::string& text, const std::string& what) {
        int n = 0;
        for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
        return n;
    }
};

const char* kProgram = "%\nG01 X10 Y0\nG02 X10 Y20 I10 J10\nG01 X0 Y20\nM30\n";

}  // namespace

TEST_F(SaveSpecial, SaveAsWithADxfNameWritesThePlotAndKeepsTheProgramsName) {
    load("part.nc", kProgram);
    const std::string before = tolva::App().CurrentFileName;
    const QString caption = form1->windowTitle();
    form1->answer = QString::fromStdString(path("part.dxf"));
    EXPECT_TRUE(form1->FileSaveAsClick());
    const std::string dxf = read(path("part.dxf"));
    EXPECT_EQ(count(dxf, "\r\nLINE\r\n"), 2);
    EXPECT_EQ(count(dxf, "\r\nARC\r\n"), 1);
    EXPECT_EQ(tolva::App().CurrentFileName, before);
    EXPECT_EQ(form1->windowTitle(), caption);
    EXPECT_TRUE(host->messages.empty());
}

TEST_F(SaveSpecial, TheDxfItemsWriteFullAndLinesOnlyExports) {
    load("part.nc", kProgram);
    form1->answer = QString::fromStdString(path("full.DXF"));
    menu("Save As DXF Circles, Arcs,Lines");
    EXPECT_EQ(form1->askedPreset, "File1.DXF");
    EXPECT_EQ(form1->askedTitle, QString::fromStdString("Save As " + path("part.nc")));
    EXPECT_EQ(count(read(path("full.DXF")), "\r\nARC\r\n"), 1);

    form1->answer = QString::fromStdString(path("lines.DXF"));
    menu("Save As DXF Lines Only Simple");
    EXPECT_EQ(form1->askedPreset, "File1.DXF");
    const std::string lines = read(path("lines.DXF"));
    EXPECT_EQ(count(lines, "\r\nARC\r\n"), 0);
    EXPECT_GT(count(lines, "\r\nLINE\r\n"), 10);

    // A target that cannot be written: the system's reason, nothing left.
    form1->answer = QString::fromStdString(path("no/such/folder.DXF"));
    menu("Save As DXF Lines Only Simple");
    ASSERT_FALSE(host->messages.empty());
    EXPECT_NE(host->messages.back().find("No such file or directory"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path("no")));
}

TEST_F(SaveSpecial, PointsOnlyWritesPointsOrTakesAnotherNameForTheProgram) {
    load("part.nc", kProgram);
    form1->answer = QString::fromStdString(path("pts.dxf"));
    menu("Save As DXF Points only ( Special )");
    EXPECT_EQ(form1->askedPreset, "FilePoints1.DXF");
    EXPECT_EQ(count(read(path("pts.dxf")), "\r\nPOINT\r\n"), 3);
    // Another extension renames the program and writes nothing.
    form1->answer = QString::fromStdString(path("renamed.txt"));
    menu("Save As DXF Points only ( Special )");
    EXPECT_EQ(tolva::App().CurrentFileName, path("renamed.txt"));
    EXPECT_EQ(form1->windowTitle(), "renamed.txt");
    EXPECT_FALSE(std::filesystem::exists(path("renamed.txt")));
}

TEST_F(SaveSpecial, SplitWritesThePartsAndShowsWhereTheyWent) {
    // Three lines a part (row 72), program numbers from :100 (row 23).
    load("JOB.NC", "L0\nL1\nL2 M91\nL3\nL4 M91\nL5\nL6\nL7\nL8\n");
    menu("Save + Split the File  (Special )");
    EXPECT_TRUE(host->messages.empty());
    EXPECT_EQ(read(path("JOB_1.TXT")), "L0\nL1\nL2 M91\nM99\nM30\n");
    EXPECT_EQ(read(path("JOB_2.TXT")), ":101\nL3\nL4 M91\nL5\nL6\nL7\nL8\nM99\nM30\n");
    EXPECT_FALSE(std::filesystem::exists(path("JOB_3.TXT")));
    EXPECT_TRUE(form1->RichEdit2->isVisibleTo(form1.get()));
    EXPECT_EQ(form1->RichEdit2->Lines(),
              (std::vector<std::string>{" File Split into 2", " ", " Last Filename " + path("JOB_2.TXT")}));
    // The summary goes after five seconds (the test need not wait them).
    auto* shown = form1->findChild<QTimer*>("SplitSummaryTimer");
    ASSERT_TRUE(shown && shown->isActive() && shown->isSingleShot());
    EXPECT_EQ(shown->interval(), 5000);
    shown->start(0);
    QTRY_VERIFY(!form1->RichEdit2->isVisibleTo(form1.get()));

    // A part that cannot be written stops the split with the system's
    // reason; the parts before it stay.
    std::filesystem::remove(path("JOB_1.TXT"));
    std::filesystem::remove(path("JOB_2.TXT"));
    std::filesystem::create_directory(path("JOB_2.TXT"));
    menu("Save + Split the File  (Special )");
    ASSERT_FALSE(host->messages.empty());
    EXPECT_NE(host->messages.back().find("JOB_2.TXT"), std::string::npos) << host->messages.back();
    EXPECT_EQ(read(path("JOB_1.TXT")), "L0\nL1\nL2 M91\nM99\nM30\n");
    EXPECT_FALSE(form1->RichEdit2->isVisibleTo(form1.get()));

    // Too small: the message, nothing written.
    load("TINY.NC", "A\nB\n");
    menu("Save + Split the File  (Special )");
    ASSERT_FALSE(host->messages.empty());
    EXPECT_EQ(host->messages.back(), "File is too samll to split Less than 3 Lines");
    EXPECT_FALSE(std::filesystem::exists(path("TINY_1.TXT")));
    EXPECT_FALSE(form1->RichEdit2->isVisibleTo(form1.get()));
}

// Part names are held to the 255 characters of every file name: a program
// whose name leaves no room for "_1.TXT" is not split at all, rather than
// split into parts under names the next load would refuse.
TEST_F(SaveSpecial, SplitPartNamesOver255CharactersStopTheSplitBeforeAnyPart) {
    const std::string name = std::string(253 - dir.size() - 1 - 3, 'j') + ".NC";
    ASSERT_EQ(path(name).size(), 253u);
    load(name, "L0\nL1\nL2 M91\nL3\nL4 M91\nL5\nL6\nL7\nL8\n");
    menu("Save + Split the File  (Special )");
    ASSERT_FALSE(host->messages.empty());
    EXPECT_NE(host->messages.back().find("longer than 255"), std::string::npos) << host->messages.back();
    // Only the program (and the list of recent files the load updated).
    int written = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().filename() != tolva::kRecentFilesName) ++written;
    EXPECT_EQ(written, 1);
    EXPECT_FALSE(form1->RichEdit2->isVisibleTo(form1.get()));
}
