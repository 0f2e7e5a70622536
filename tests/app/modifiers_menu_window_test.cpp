// The modifiers from the plot window's buttons and the main window's menus:
// one undoable edit each, the fields corrected, the refusals leaving the
// program as it was.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "app/app_state.h"
#include "app/main_window.h"
#include "base/program_editor_qt.h"
#include "plot/plot_window.h"
#include "settings/machine_settings.h"
#include "../plot/interpreter_rig.h"

namespace {

using Lines = std::vector<std::string>;

struct Modifiers : ::testing::Test {
    std::string dir;
    std::unique_ptr<tolva::MachineSettings> settings;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    tolva::RecordingHost* host = nullptr;

    void SetUp() override {
        char buf[] = "/tmp/tolva-modifiers-XXXXXX";
        dir = ::mkdtemp(buf);
        settings = std::make_unique<tolva::MachineSettings>(dir);
        tolva::test::MillLabels(*settings);
        settings->SetCell(1, tolva::LabelRow::CommentStart, "(");
        settings->SetCell(1, tolva::LabelRow::CommentEnd, ")");
        settings->SetFlag("XsignCheckBox", false);
        settings->SetFlag("YsignCheckBox", false);
        settings->SetText("DpEdit", "4");
        form1 = std::make_unique<TForm1>(*settings, QStringList{});
        auto h = std::make_unique<tolva::RecordingHost>();
        host = h.get();
        form1->SetHost(std::move(h));
        form2 = std::make_unique<TForm2>(*settings);
        tolva::App() = tolva::AppState{};
    }
    void TearDown() override {
        form2.reset();
        form1.reset();
        std::filesystem::remove_all(dir);
    }
    ProgramEditor& editor() { return *form1->RichEdit1; }
    void menu(const char* caption) {
        QAction* a = form1->ActionByText(caption);
        ASSERT_TRUE(a && a->isEnabled()) << caption;
        a->trigger();
    }
};

TEST_F(Modifiers, TheKeypadSlidesTheProgramAsOneUndoableEditAndRedraws) {
    const std::string before = "N10 G00 X0 Y0\r\nN20 G02 X1 Y2 I0.5 J1 (ARC)\r\n";
    editor().LoadBytes(before);
    form2->SlideEdit1->setText("2.5");
    const int redraws = form2->RedrawCount();
    form2->SpeedButton2->click();  // up: X less
    EXPECT_EQ(editor().Bytes(), "G00 X-2.5000 Y0.0000\r\nG02 X-1.5000 Y2.0000 I-2.0000 J1.0000 (ARC)\r\n");
    EXPECT_GT(form2->RedrawCount(), redraws);
    form2->SpeedButton6->click();  // right: Y more
    EXPECT_EQ(editor().Lines()[0], "G00 X-2.5000 Y2.5000");
    editor().undo();
    editor().undo();
    EXPECT_EQ(editor().Bytes(), before);
}

TEST_F(Modifiers, WhileTheArrayWindowIsShownASlideAppendsAMovedCopy) {
    QWidget array;
    array.setObjectName("Form9");
    array.show();
    editor().LoadBytes("G00 X0 Y0\nG01 X5 Y0\n");
    form2->SlideEdit1->setText("10");
    form2->SpeedButton6->click();
    EXPECT_EQ(editor().Lines(), (Lines{"G00 X0 Y0", "G01 X5 Y0", "G00 X0.0000 Y10.0000", "G01 X5.0000 Y10.0000"}));
    array.hide();
    form2->SpeedButton7->click();
    EXPECT_EQ(editor().Lines()[2], "G00 X0.0000 Y0.0000");
    EXPECT_EQ(editor().Lines().size(), 4u);
}

TEST_F(Modifiers, TheFieldsAreCorrectedAndTheHintsShown) {
    editor().LoadBytes("G01 X1 Y1\n");
    form2->X_Edit1->setText("150");
    form2->SpeedButton12->click();
    EXPECT_EQ(form2->X_Edit1->text(), "100.0");
    EXPECT_EQ(editor().Lines(), (Lines{"G01 X100.0000 Y100.0000"}));
    form2->SlideEdit1->setText("five");
    form2->SpeedButton1->click();  // down by the corrected 1.0
    EXPECT_EQ(form2->SlideEdit1->text(), "1.000");
    EXPECT_EQ(editor().Lines(), (Lines{"G01 X101.0000 Y100.0000"}));
    EXPECT_EQ(form2->SpeedButton9->toolTip(), "Spin the part Inc Degrees  or just highlighted code about 0,0,0");
    EXPECT_EQ(form2->FlipButton->toolTip(), "Turn the part over left right");
    EXPECT_EQ(form2->FlopButton->toolTip(), "Turn the part over up down");
    EXPECT_EQ(form2->SpeedButton12->toolTip(), "Change the part size. Or just highlighted code.");
    EXPECT_EQ(form2->SlideEdit1->toolTip(), "Move the program by this amount or Rotate Degrees + or -");
    EXPECT_EQ(form2->X_Edit1->toolTip(), "Size factor to multiply the program by");
}

TEST_F(Modifiers, AThreeDArcDisablesSpinFlipFlopUntilAnotherProgramComes) {
    settings->SetFlag("IncludeZCheckBox", true);
    editor().LoadBytes("G00 X0 Y0\nG02 X1 Y0 I0.5 K0\n");
    form2->Redraw();
    EXPECT_FALSE(form2->FlipButton->isEnabled());
    EXPECT_FALSE(form2->SpeedButton9->isEnabled());
    EXPECT_TRUE(form2->SpeedButton2->isEnabled());
    menu("&New");
    EXPECT_TRUE(form2->FlipButton->isEnabled());
    EXPECT_TRUE(form2->FlopButton->isEnabled());
}

TEST_F(Modifiers, IncrementalAndBackFromTheMenusAndThePopUp) {
    const std::string before = "G90 G00 X1 Y1\nG01 X3 Y1 Z-1\nG01 X3 Y4 Z-2\n";
    editor().LoadBytes(before);
    menu("Convert to Incremental G91");
    EXPECT_EQ(editor().Lines(), (Lines{"G91 X1.0000 Y1.0000 G00", "G01 X2.0000 Y0.0000 Z-1.0000",
                                       "G01 X0.0000 Y3.0000 Z-1.0000"}));
    for (QAction* a : form1->PopupMenu()->actions())
        if (a->text() == "Convert to  G90") a->trigger();
    EXPECT_EQ(editor().Lines(), (Lines{"G90 X1.0000 Y1.0000 G00", "G01 X3.0000 Y1.0000 Z-1.0000",
                                       "G01 X3.0000 Y4.0000 Z-2.0000"}));
    editor().undo();
    editor().undo();
    EXPECT_EQ(editor().Bytes(), before);

    editor().LoadBytes("G90\nG02 X1 Y0 I0.5 K0\n");
    menu("Convert to Incremental G91");
    EXPECT_EQ(host->messages.back(), "File is 3d \nFunction not supported \nMust be Absolute 2d ");
    EXPECT_FALSE(editor().IsModified());
    // An increment from the origin is mirrored; a slide cannot move it.
    editor().LoadBytes("G91\nX1\n");
    form2->FlopButton->click();
    EXPECT_EQ(editor().Bytes(), "G91\nX-1.0000\n");
    form2->SpeedButton2->click();
    EXPECT_EQ(host->messages.back().rfind("Line 2 ", 0), 0u) << host->messages.back();
    EXPECT_EQ(editor().Bytes(), "G91\nX-1.0000\n");
}

TEST_F(Modifiers, InchToMetricScalesEverythingAndPutsTheFactorBack) {
    editor().LoadBytes("G01 X1 Y-0.5\nG02 X2 Y0 R1\n");
    tolva::App().SelStartLine = -1;
    tolva::App().SelLineCount = 1;
    menu("Inch to Metric");
    EXPECT_EQ(editor().Lines(), (Lines{"G01 X25.4000 Y-12.7000", "G02 X50.8000 Y0.0000 R25.4000"}));
    EXPECT_EQ(form2->X_Edit1->text(), "1.000");
    menu("Metric to Inch");
    EXPECT_EQ(editor().Lines()[0], "G01 X1.0000 Y-0.5000");
}

TEST_F(Modifiers, LineNumbersCommentsBlanksAndLineEndsFromTheMenus) {
    settings->SetInt("StartLine", 1000);
    settings->SetInt("LineNum", 10);
    editor().LoadBytes("G00 X0\nN5 G01 X1 (ROUGH) (PASS 2)\n");
    menu("&Add Line Numbers");
    EXPECT_EQ(editor().Lines(), (Lines{"N1000 G00 X0", "N5 G01 X1 (ROUGH) (PASS 2)"}));
    menu("Remove Comments enclosed by labels (71-72)");
    EXPECT_EQ(editor().Lines()[1], "N5 G01 X1  (PASS 2)");
    menu("&Remove Line Numbers");
    menu("Pack the file remove all spaces");
    EXPECT_EQ(editor().Lines(), (Lines{"G00X0", "G01X1(PASS2)"}));
    menu("Add Chars  to line end");
    EXPECT_EQ(editor().Lines(), (Lines{"G00X0$;", "G01X1(PASS2)$;"}));
    menu("Remove Chars from line end");
    EXPECT_EQ(editor().Lines(), (Lines{"G00X0", "G01X1(PASS2)"}));
    for (int i = 0; i < 6; ++i) editor().undo();
    EXPECT_EQ(editor().Bytes(), "G00 X0\nN5 G01 X1 (ROUGH) (PASS 2)\n");
}

}  // namespace
