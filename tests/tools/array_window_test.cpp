// The array window on the main and plot windows: its buttons change the
// program as one undoable edit each, the fields show what was used, and the
// plot window's modifier buttons are hidden while it is shown.
#include "tools/array_window.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cstdlib>
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

struct ArrayWindow : ::testing::Test {
    std::string dir;
    std::unique_ptr<tolva::MachineSettings> settings;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TForm9> form9;
    tolva::RecordingHost* host = nullptr;

    void SetUp() override {
        char buf[] = "/tmp/tolva-array-XXXXXX";
        dir = ::mkdtemp(buf);
        settings = std::make_unique<tolva::MachineSettings>(dir);
        tolva::test::MillLabels(*settings);
        settings->SetCell(1, tolva::LabelRow::FileStart, "%");
        settings->SetCell(1, tolva::LabelRow::FileEnd, "M30");
        settings->SetFlag("XsignCheckBox", false);
        settings->SetFlag("YsignCheckBox", false);
        settings->SetText("DpEdit", "3");
        form1 = std::make_unique<TForm1>(*settings, QStringList{});
        auto h = std::make_unique<tolva::RecordingHost>();
        host = h.get();
        form1->SetHost(std::move(h));
        form2 = std::make_unique<TForm2>(*settings);
        form9 = std::make_unique<TForm9>(settings.get());
        tolva::App() = tolva::AppState{};
    }
    void TearDown() override {
        form9.reset();
        form2.reset();
        form1.reset();
        std::filesystem::remove_all(dir);
    }
    ProgramEditor& editor() { return *form1->RichEdit1; }
    void openArray() {
        QAction* a = form1->ActionByText("Array");
        ASSERT_TRUE(a);
        a->trigger();
        ASSERT_TRUE(form9->isVisible());
    }
};

// A part spanning X 0..4 and Y 0..2.
const char* const kPart = "%\nG00 X0 Y0\nM03\nG01 X4 Y0\nG01 X4 Y2\nG01 X0 Y2\nG01 X0 Y0\nM05\nM30\n";

TEST_F(ArrayWindow, AColumnIsOneUndoableEditWithThePlotsModifiersHidden) {
    form2->show();
    editor().LoadBytes("G00 X0 Y0\nG01 X4 Y0\nM30\n");
    openArray();
    for (QPushButton* b : {form2->SpeedButton1, form2->SpeedButton5, form2->SpeedButton9, form2->FlipButton,
                           form2->FlopButton, form2->SpeedButton12})
        EXPECT_FALSE(b->isVisible()) << b->objectName().toStdString();
    form9->QtyEdit1->setValue(3);
    form9->IncrementEdit1->setText("2.5");
    const int redraws = form2->RedrawCount();
    form9->SpeedButton1->click();  // column down: X more
    EXPECT_EQ(editor().Lines().size(), 9u);
    EXPECT_EQ(editor().Lines()[6], "G00 X5.000 Y0.000");
    EXPECT_EQ(form9->IncrementEdit1->text(), "2.500");
    EXPECT_GT(form2->RedrawCount(), redraws);
    editor().undo();
    EXPECT_EQ(editor().Bytes(), "G00 X0 Y0\nG01 X4 Y0\nM30\n");
    form9->close();
    for (QPushButton* b : {form2->SpeedButton1, form2->SpeedButton5, form2->SpeedButton9, form2->FlipButton,
                           form2->FlopButton, form2->SpeedButton12})
        EXPECT_TRUE(b->isVisible()) << b->objectName().toStdString();
}

TEST_F(ArrayWindow, SuggestIncrementsThenAGridOfTwoByThreeAndUndoNest) {
    editor().LoadBytes(kPart);
    openArray();
    form9->SuggestButton->click();
    EXPECT_EQ(form9->IncrementEdit1->text(), "4.200");
    EXPECT_EQ(form9->HorizontalEdit1->text(), "2.200");

    form9->QtyEdit1->setValue(2);
    form9->HorizQtyEdit1->setValue(3);
    form9->SpeedButton3->click();  // grid up right
    const Lines lines = editor().Lines();
    int cuts = 0, ends = 0;
    for (const std::string& l : lines) {
        cuts += l.find("M03") != std::string::npos;
        ends += l.find("M30") != std::string::npos;
    }
    EXPECT_EQ(cuts, 6);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(lines.back(), "M30");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "G01 X-4.200 Y6.400"), lines.end());  // far corner

    form9->UndoNestButton->click();
    EXPECT_EQ(editor().Bytes(), kPart);
    EXPECT_FALSE(form9->CanUndoNest());
}

TEST_F(ArrayWindow, FieldsThatAreNotNumbersAndTheSpinButtons) {
    editor().LoadBytes("G01 X1 Y1\nG01 X2 Y1\n");
    openArray();
    form9->HorizQtyEdit1->setValue(2);
    form9->HorizontalEdit1->setText("wide");
    form9->SpeedButton7->click();  // row left by 1
    EXPECT_EQ(form9->HorizontalEdit1->text(), "1.000");
    EXPECT_EQ(editor().Lines(), (Lines{"G01 X1 Y1", "G01 X2 Y1", "G01 X1.000 Y0.000", "G01 X2.000 Y0.000", "M30"}));
    form9->IncrementDown->click();
    form9->IncrementDown->click();
    EXPECT_EQ(form9->IncrementEdit1->text(), "-1.000");
    form9->ClearanceEdit1->setText("x");
    form9->ClearanceUp->click();
    EXPECT_EQ(form9->ClearanceEdit1->text(), "0.300");
}

// With TOLVA_SCREENSHOT set: the plot of a 2 x 3 grid of a part beside the
// array window, as one PNG.
TEST_F(ArrayWindow, Screenshot) {
    const char* out = std::getenv("TOLVA_SCREENSHOT");
    if (!out) GTEST_SKIP() << "set TOLVA_SCREENSHOT to a PNG path";
    settings->SetCell(1, tolva::LabelRow::BeginBlock, "M03");
    editor().LoadBytes("%\nG00 X0 Y0\nM03\nG01 X3 Y0\nG02 X3 Y2 I3 J1\nG01 X0 Y2\nG01 X0 Y0\nM05\n"
                       "G00 X1 Y0.6\nM03\nG02 X1 Y0.6 I1 J1\nM05\nM30\n");
    form2->resize(1000, 900);
    form2->show();
    openArray();
    form9->SuggestButton->click();
    form9->QtyEdit1->setValue(2);
    form9->HorizQtyEdit1->setValue(3);
    form9->SpeedButton4->click();  // grid down right
    form9->ReScaleButton->click();
    QTest::qWait(300);
    form2->PlotAll(&editor(), true, true, 60, 60);
    QTest::qWait(300);
    const QPixmap plot = form2->grab();
    const QPixmap array = form9->grab();
    QPixmap both(plot.width() + array.width() + 10, std::max(plot.height(), array.height()));
    both.fill(Qt::darkGray);
    QPainter p(&both);
    p.drawPixmap(0, 0, plot);
    p.drawPixmap(plot.width() + 10, 0, array);
    p.end();
    EXPECT_TRUE(both.save(out));
}

}  // namespace
