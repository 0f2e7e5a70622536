// What a user of other desktop tools expects of the windows: they fit the
// screen, the desktop's keys do the desktop's things (Ctrl+S saves), recent
// files, Undo re-plots, the "Plot" button plots, the units show, and the
// editor's colours follow the machine's label table.
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cstring>

#include "app/gcode_lexer_qt.h"
#include "base/qt_host_qt.h"
#include "../plot/interpreter_rig.h"
#include "settings/setup_window.h"
#include "main_window_fixture.h"

namespace {

struct Workbench : tolva::test::MainWindowFixture<> {
    void SetUp() override {
        tolva::test::MillLabels(*settings);
        settings->SetCell(1, tolva::LabelRow::CommentStart, "(");
        settings->SetCell(1, tolva::LabelRow::CommentEnd, ")");
        Open(/*yes=*/true);
    }
    int styleAt(int pos) {
        return static_cast<int>(editor().SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, pos));
    }
};

// Inside `outer`, and (for a child) shown.
::testing::AssertionResult within(QWidget* w, const QRect& outer) {
    const QRect r = w->isWindow() ? w->frameGeometry() : QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size());
    if (!outer.contains(r))
        return ::testing::AssertionFailure()
               << w->objectName().toStdString() << " at " << r.x() << "," << r.y() << " " << r.width() << "x"
               << r.height() << " outside " << outer.x() << "," << outer.y() << " " << outer.width() << "x"
               << outer.height();
    return ::testing::AssertionSuccess();
}

TEST_F(Workbench, DefaultWindowsFitEachCommonScreenWithEveryLabelShown) {
    TForm3 form3(*settings);
    form1->show();
    form2->show();
    form3.show();
    // Available areas: the screen less a task bar.
    for (const QRect area : {QRect(0, 0, 1366, 728), QRect(0, 0, 1600, 960), QRect(0, 0, 1920, 1040),
                             QRect(0, 32, 1920, 1048)}) {
        SCOPED_TRACE(std::to_string(area.width()) + "x" + std::to_string(area.height()));
        form1->PlaceDefaultWindows(area);
        QApplication::processEvents();
        EXPECT_TRUE(within(form1.get(), area));
        EXPECT_TRUE(within(form2.get(), area));
        EXPECT_TRUE(within(&form3, area));
        // Side by side, not overlapping, using the width.
        EXPECT_FALSE(form1->frameGeometry().intersects(form2->frameGeometry()));
        EXPECT_GE(form2->frameGeometry().right(), area.right() - 2);
        // Every read-out of the plot window inside it, and the position
        // indicator and units inside the main window.
        const QRect plot = form2->rect();
        const std::vector<QWidget*> readouts = {form2->Bigx,           form2->Bigy,           form2->Area,
                                                form2->Label1,         form2->Label2,         form2->CutTimeLabel,
                                                form2->RapidTimeLabel, form2->TotalTimeLabel, form2->EstTimeLabel,
                                                form2->CutSpeedEdit,   form2->RapidSpeedEdit, form2->FitButton};
        for (QWidget* w : readouts) {
            EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
            EXPECT_TRUE(within(w, plot));
        }
        EXPECT_TRUE(within(form1->Panel2, form1->rect()));
        EXPECT_TRUE(within(form1->UnitsLabel, form1->rect()));
        // The plot window keeps room for the canvas under its tool bar.
        EXPECT_GT(form2->ScrollBox1->height(), form2->height() / 3);
    }
    // Every window's first size also fits the smallest of them.
    EXPECT_LE(form3.DefaultSize().height(), 1366);
    form3.hide();
}

TEST_F(Workbench, CtrlSSavesAndLeavesTheProgramAsItWas) {
    form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form1.get()));
    const std::string program = "G21\nG01 X1 Y2\nM03\nG02 X3 Y2 I1 J0\nM05\n";
    editor().LoadBytes(program);
    editor().SetCaret(4);
    editor().SendScintilla(QsciScintilla::SCI_ADDTEXT, 1, " ");  // an edit, so there is something to save
    const std::string edited = editor().Bytes();
    tolva::App().CurrentFileName = dir + "/saved.nc";
    editor().setFocus();
    QTest::keyClick(&editor(), Qt::Key_S, Qt::ControlModifier);
    std::string bytes;
    ASSERT_TRUE(tolva::ReadFileBytes(dir + "/saved.nc", bytes).ok);
    EXPECT_EQ(bytes, edited);
    EXPECT_EQ(editor().Bytes(), edited);  // no block reversed
    EXPECT_FALSE(editor().IsModified());
    // Ctrl+A selects everything (the sort moved to Ctrl+Shift+A).
    QTest::keyClick(&editor(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(editor().SelLength(), static_cast<int>(edited.size()));
    EXPECT_EQ(editor().Bytes(), edited);
}

TEST_F(Workbench, UndoAndRedoReplotThePlotButtonPlotsAndRecentFilesReopen) {
    form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form1.get()));
    editor().LoadBytes("G90\nM03\nG01 X10 Y0\n");
    form2->Redraw();
    const QString before = form2->windowTitle();
    editor().SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
    editor().SendScintilla(QsciScintilla::SCI_ADDTEXT, 11, "G01 X10 Y5\n");
    form2->Redraw();
    EXPECT_NE(form2->windowTitle(), before);  // the totals grew
    editor().setFocus();
    QTest::keyClick(&editor(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor().Bytes(), "G90\nM03\nG01 X10 Y0\n");
    EXPECT_EQ(form2->windowTitle(), before);  // no F9 needed
    QTest::keyClick(&editor(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_NE(form2->windowTitle(), before);

    // "Plot" plots; printing has its own button.
    auto* plot = form1->findChild<QToolButton*>("PlotButton");
    auto* print = form1->findChild<QToolButton*>("PrintPlotButton");
    ASSERT_NE(plot, nullptr);
    ASSERT_NE(print, nullptr);
    EXPECT_EQ(print->toolTip(), "Print Plot High resolution");
    const int redraws = form2->RedrawCount();
    plot->click();
    EXPECT_EQ(form2->RedrawCount(), redraws + 1);

    // Recent files: newest first, reopened from the menu, kept for the next run.
    editor().ClearModified();
    const std::string a = file("a.nc", "G01 X1\n"), b = file("b.nc", "G01 X2\n");
    ASSERT_TRUE(form1->Load_file(QString::fromStdString(a)));
    ASSERT_TRUE(form1->Load_file(QString::fromStdString(b)));
    ASSERT_EQ(form1->RecentMenu()->actions().size(), 2);
    EXPECT_TRUE(form1->RecentMenu()->actions()[0]->text().endsWith("b.nc"));
    form1->RecentMenu()->actions()[1]->trigger();
    EXPECT_EQ(editor().Bytes(), "G01 X1\n");
    EXPECT_EQ(tolva::App().CurrentFileName, a);
    TForm1 nextRun(*settings, QStringList{});
    ASSERT_EQ(nextRun.RecentFiles().size(), 2u);
    EXPECT_EQ(nextRun.RecentFiles()[0], a);
}

TEST_F(Workbench, UnitsAtTheCaretAndColoursFollowTheMachineFile) {
    const std::string ini = file("units.ini", "[Units]\nInch=G20\nMetric=G21\n[Labels]\nLine=G01\nArc Cw=G02\n"
                                             "Begin Block=M03\nEnd Block=M05\nX Letter=X\nY Letter=Y\nTrans170=(\nTrans171=)\n");
    ASSERT_TRUE(settings->UseMachineFile(ini).ok);
    editor().LoadBytes("G21\nG01 X1 Y2 (G02)\nG20\nM03\n");
    editor().SetCaret(editor().PosOfLine(1));
    form1->MainCaretMoved();
    EXPECT_EQ(form1->UnitsLabel->text(), "Units: mm (G21)");
    editor().SetCaret(editor().PosOfLine(3));
    form1->MainCaretMoved();
    EXPECT_EQ(form1->UnitsLabel->text(), "Units: inch (G20)");

    // The colours: line 1 "G01 X1 Y2 (G02)".
    editor().SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0L, -1L);
    const int l1 = editor().PosOfLine(1), l3 = editor().PosOfLine(3);
    using S = tolva::HighlightStyle;
    EXPECT_EQ(styleAt(l1), int(S::Motion));
    EXPECT_EQ(styleAt(l1 + 4), int(S::Axis));
    EXPECT_EQ(styleAt(l1 + 11), int(S::Comment));  // a code inside a comment is comment
    EXPECT_EQ(styleAt(l3), int(S::Cut));
    // Another table: the linear move is "G5" and cut on is gone.
    settings->SetCell(1, 1, "G5");
    settings->SetCell(1, 8, "");
    EXPECT_EQ(styleAt(l1), int(S::Plain));
    EXPECT_EQ(styleAt(l3), int(S::Plain));
    // Codes are found by value, as the plot finds them: "M3" is in "M03".
    settings->SetCell(1, 8, "M3");
    EXPECT_EQ(styleAt(l3), int(S::Cut));
    EXPECT_EQ(styleAt(l3 + 2), int(S::Cut));
}

}  // namespace
