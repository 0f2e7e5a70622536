#include "tools/offset_window.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "plot/plot_window.h"
#include "text/compress.h"
#include "edit_ops_fixture.h"

using Lines = std::vector<std::string>;

namespace {

struct OffsetWindow : EditorFixture {
    std::unique_ptr<TForm8> form8;
    tolva::RecordingHost* host8 = nullptr;
    void SetUp() override {
        EditorFixture::SetUp();
        settings->SetCell(1, 1, "G01");
        form8 = std::make_unique<TForm8>(settings.get());
        auto h = std::make_unique<tolva::RecordingHost>();
        host8 = h.get();
        form8->SetHost(std::move(h));
    }
    void TearDown() override {
        form8.reset();
        EditorFixture::TearDown();
    }
    // The main menu's "Offset" with lines first..last (0-based) highlighted.
    void offset(int first, int last) {
        tolva::App().SelStartLine = first - 1;
        tolva::App().SelLineCount = last - first + 1;
        form1->ActionByText("Offset")->trigger();
    }
};

const Lines kShifted = {" ", "G01 X0.0000 Y0.1250 ", "G01 X0.8750 Y0.1250 ", "G01 X0.8750 Y1.0000 ", " "};

}  // namespace

TEST_F(OffsetWindow, OffsetShowsTheShiftedBlockAndRefusesAnIncrementalProgram) {
    editor().LoadBytes("G01 X0 Y0\nG01 X1 Y0\nG01 X1 Y1\nM30\n");
    offset(0, 2);
    EXPECT_TRUE(form8->isVisible());
    EXPECT_EQ(form8->RichEdit1->Lines(), kShifted);
    EXPECT_EQ(form8->Label2->text(), "Min Rad = 0");
    // Reload starts afresh rather than adding a second copy.
    form8->ReloadClick();
    EXPECT_EQ(form8->RichEdit1->Lines(), kShifted);

    form8->hide();
    editor().LoadBytes("G91\nG01 X1 Y0\nG01 X1 Y1\n");
    offset(1, 2);
    EXPECT_FALSE(form8->isVisible());
    EXPECT_EQ(host->messages, (std::vector<std::string>{tolva::kIncMessageErrText}));
}

TEST_F(OffsetWindow, AnArcTooSmallWarnsAndABadOffsetBecomesTheDefault) {
    editor().LoadBytes("G01 X0 Y0\nG03 X0.1 Y-0.1 I0.1 J0\nM30\n");
    form8->OffsetEdit1->setText("1/8");
    offset(0, 1);
    EXPECT_EQ(form8->OffsetEdit1->text(), "-0.125");
    EXPECT_EQ(form8->windowTitle(), "Warning Offset > Arc Radius");
    EXPECT_EQ(form8->Label2->text(), "Min Rad = 0.1000");
    // Inside an arc smaller than the offset nothing of the contour is left:
    // nothing is written, and the message names the line.
    EXPECT_TRUE(form8->RichEdit1->Lines().empty() || form8->RichEdit1->Lines() == Lines{""});
    ASSERT_EQ(host8->messages.size(), 1u);
    EXPECT_EQ(host8->messages[0].rfind("Line 2: the contour cannot be offset by -0.1250", 0), 0u) << host8->messages[0];
}

TEST_F(OffsetWindow, OperationsWriteTheResultIntoTheProgramAsOneUndoableEdit) {
    const std::string program = "G01 X0 Y0\nG01 X1 Y0\nG01 X1 Y1\nM30\n";
    editor().LoadBytes(program);
    offset(0, 2);
    form8->InsertBelowClick();
    Lines want = {"G01 X0 Y0", "G01 X1 Y0", "G01 X1 Y1"};
    want.insert(want.end(), kShifted.begin(), kShifted.end());
    want.push_back("M30");
    EXPECT_EQ(editor().Lines(), want);
    editor().undo();
    EXPECT_EQ(editor().Bytes(), program);

    form8->CopyToFileEndClick();
    EXPECT_EQ(editor().Lines(), want);  // the block ends just before the last line
    editor().undo();

    // Replace: the highlighted text goes, the result comes in its place.
    editor().SendScintilla(QsciScintillaBase::SCI_SETSEL, 0, editor().PosOfLine(3));
    form8->ReplaceClick();
    Lines replaced = kShifted;
    replaced.push_back("M30");
    EXPECT_EQ(editor().Lines(), replaced);
    editor().undo();
    EXPECT_EQ(editor().Bytes(), program);
}

TEST_F(OffsetWindow, TheRightButtonStepsTheResultOverTheProgramAndThePanelFollowsTheCaret) {
    TForm2 form2(*settings);
    editor().LoadBytes("G01 X0 Y0\nG01 X1 Y0\nG01 X1 Y1\nM30\n");
    offset(0, 2);
    form2.State().CurLine = 0;
    // The program is drawn, then result lines 1, 2, 3, 4 one a tick, each
    // moving a one-character selection to the line after it.
    for (int line = 1; line <= 4; ++line) {
        form8->Timer1Timer();
        EXPECT_EQ(form2.State().CurLine, line + 1);
        EXPECT_EQ(form8->RichEdit1->SelStart(), form8->RichEdit1->PosOfLine(line + 1));
        EXPECT_EQ(form8->RichEdit1->SelLength(), line + 1 < 5 ? 1 : 0);
    }
    form8->Timer1Timer();  // past the last line: back to the start
    EXPECT_EQ(form2.State().CurLine, 0);
    EXPECT_EQ(form8->RichEdit1->SelStart(), 0);

    QTest::mousePress(form8->RichEdit1->viewport(), Qt::RightButton);
    EXPECT_TRUE(form8->Timer1->isActive());
    QTest::mouseRelease(form8->RichEdit1->viewport(), Qt::RightButton);
    EXPECT_FALSE(form8->Timer1->isActive());

    form8->RichEdit1->SendScintilla(QsciScintillaBase::SCI_SETSEL, form8->RichEdit1->PosOfLine(1) + 2,
                                    form8->RichEdit1->PosOfLine(3));
    QTest::keyRelease(form8->RichEdit1, Qt::Key_Shift);
    QApplication::processEvents();
    EXPECT_EQ(form8->Panel2->text(), "  Pos [2:3]   Sel : [2]   ");
}
