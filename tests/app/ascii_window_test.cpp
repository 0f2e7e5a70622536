#include "app/ascii_window.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QApplication>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "app/app_state.h"
#include "app/main_window.h"
#include "base/program_editor_qt.h"
#include "base/program_file.h"
#include "settings/machine_settings.h"
#include "edit_ops_fixture.h"

namespace {

struct AsciiWindow : EditorFixture {
    std::unique_ptr<TForm7> form7;

    void SetUp() override {
        EditorFixture::SetUp();
        form7 = std::make_unique<TForm7>(*form1, *settings);
        tolva::App() = tolva::AppState{};
    }
    void TearDown() override {
        form7.reset();
        EditorFixture::TearDown();
    }
    QTableWidget& grid() { return *form7->StringGrid1; }
    void keyUp() {
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(&grid(), &release);
    }
};

}  // namespace

TEST_F(AsciiWindow, HasItsCaptionFieldsGridAndCodeNames) {
    EXPECT_EQ(form7->windowTitle(), "Decimal Ascii Editor + Line insertion");
    for (int k = 0; k < 12; ++k) {
        auto* e = form7->findChild<QLineEdit*>(QString("Edit%1").arg(k));
        ASSERT_NE(e, nullptr) << k;
        EXPECT_EQ(e->maxLength(), 255);
    }
    EXPECT_EQ(form7->FindInsertButton->text(), "Find and Insert");
    EXPECT_EQ(form7->FindInsertButton->toolTip(),
              "Exicute insertion of text. Can be automatic on DXF load see setup Options ");
    EXPECT_EQ(grid().rowCount(), 2);
    EXPECT_EQ(grid().columnCount(), 80);
    EXPECT_EQ(grid().columnWidth(0), 30);
    QString note = form7->Memo1->toPlainText();
    EXPECT_TRUE(note.startsWith("1 SOH Start of header\n"));
    EXPECT_TRUE(note.endsWith("31 US Unit seperator"));
    EXPECT_EQ(note.count('\n'), 30);
}

TEST_F(AsciiWindow, FieldsComeFromTheRecallDataAndGoBackToTheRecallFileOnClose) {
    settings->RecallData().edit[1] = "M06";
    form7->ShowWithLine();
    EXPECT_EQ(form7->Edit[1]->text(), "M06");
    form7->Edit[11]->setText("M30");
    form7->close();
    EXPECT_EQ(settings->RecallData().edit[11], "M30");
    std::string recall;
    bool found = false;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().filename().string() == "LastIni.ini") {
            tolva::ReadFileBytes(entry.path().string(), recall);
            found = true;
        }
    ASSERT_TRUE(found);
    EXPECT_NE(recall.find("M30"), std::string::npos);
}

TEST_F(AsciiWindow, OpensWithTheFirstHighlightedLineAndWritesItBackOnKeyRelease) {
    editor().LoadBytes("G00 X0\nG01 X1\nM30\n");
    tolva::App().SelStartLine = 0;  // the block starts at line 1
    tolva::App().SelLineCount = 2;
    form7->ShowWithLine();
    EXPECT_EQ(form7->LoadedLine(), 1);
    EXPECT_EQ(grid().item(1, 0)->text(), "71");
    EXPECT_EQ(grid().item(0, 0)->text(), "G");
    EXPECT_EQ(grid().item(1, 5)->text(), "49");
    EXPECT_TRUE(grid().item(1, 6)->text().isEmpty());
    // A 9 typed into an empty column puts a tab there.
    grid().item(1, 6)->setText("9");
    keyUp();
    EXPECT_EQ(editor().Lines()[1], "G01 X1\t");
    // Deleting a code drops its character; code 0 is skipped, 255 kept.
    grid().item(1, 3)->setText("");
    grid().item(1, 4)->setText("0");
    grid().item(1, 7)->setText("255");
    keyUp();
    EXPECT_EQ(editor().Lines()[1], "G011\t\xFF");
    EXPECT_EQ(grid().item(0, 7)->text(), QString(QChar(0xFF)));
    EXPECT_EQ(editor().Lines()[0], "G00 X0");
    EXPECT_EQ(editor().Lines()[2], "M30");
}

TEST_F(AsciiWindow, LongLinesGetEnoughColumnsToSurviveAKeyRelease) {
    std::string line(200, 'A');
    editor().LoadBytes(line + "\n");
    form7->ShowWithLine();
    EXPECT_EQ(grid().columnCount(), 200);
    keyUp();
    EXPECT_EQ(editor().Lines()[0], line);
    EXPECT_FALSE(editor().IsModified());
}

TEST_F(AsciiWindow, AnEmptyProgramGetsNothingWritten) {
    form7->ShowWithLine();
    grid().item(1, 0)->setText("65");
    keyUp();
    EXPECT_EQ(editor().Bytes(), "");
}

TEST_F(AsciiWindow, FindAndInsertRunsOverTheProgramAsOneEdit) {
    editor().LoadBytes("M06 T1\nG00 X0\n\nM06 T2\n");
    form7->ShowWithLine();
    form7->Edit[1]->setText("M06");
    form7->Edit[2]->setText("G40");
    form7->FindInsertButton->click();
    // Compress afterwards removes the empty line.
    EXPECT_EQ(editor().Lines(), (std::vector<std::string>{"M06 T1", "G00 X0", "G40", "M06 T2"}));
    editor().undo();
    EXPECT_EQ(editor().Bytes(), "M06 T1\nG00 X0\n\nM06 T2\n");
}
