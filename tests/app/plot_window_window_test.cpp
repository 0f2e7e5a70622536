// The plot window on the offscreen platform: the canvas image, the toolbar
// events, the delayed redraw, zoom box, pans, keys and single-stepping.

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "../plot/interpreter_rig.h"
#include "main_window_fixture.h"

namespace {

QRgb px(TForm2& f, int x, int y) { return f.Canvas().Image().pixel(x, y) & 0xFFFFFF; }
constexpr QRgb kRedPx = 0xFF0000, kBluePx = 0x0000FF, kWhitePx = 0xFFFFFF;

struct PlotWindow : tolva::test::MainWindowFixture<> {
    void SetUp() override {
        tolva::test::MillLabels(*settings);
        settings->SetText("Edit5", "60");
        Open();
    }
    void program(const std::string& text) { form1->RichEdit1->LoadBytes(text); }
};

TEST_F(PlotWindow, KeepsTheControlsOtherWindowsUse) {
    EXPECT_EQ(Form2, form2.get());
    EXPECT_EQ(form2->CutSpeedEdit->objectName(), "F2Edit1");
    EXPECT_EQ(form2->RapidSpeedEdit->objectName(), "F2Edit2");
    EXPECT_EQ(form2->SpinEdit1->value(), 1000);
    EXPECT_EQ(form2->Image1->objectName(), "Image1");
    EXPECT_EQ(form2->windowTitle(), "Plot ");
    // The canvas is square.
    EXPECT_EQ(form2->Canvas().Image().width(), form2->Canvas().Image().height());
    EXPECT_EQ(form2->CanvasWidth(), form2->Canvas().Image().width());
    TForm2 bare;  // the constructor without settings still works
    EXPECT_EQ(Form2, &bare);
    bare.Redraw();
}

TEST_F(PlotWindow, DrawsTheMainEditorsProgramOnTheImage) {
    program("G00 X0 Y0\nM03\nG01 X50 Y0\nG01 X50 Y80\nM05\nG00 X0 Y0\n");
    form2->Redraw();
    // X runs down: (X50, Y0) is 50 pixels below program zero (100, 460).
    EXPECT_EQ(px(*form2, 100, 480), kRedPx);
    EXPECT_EQ(px(*form2, 140, 510), kRedPx);
    EXPECT_EQ(px(*form2, 100 + 40, 460 + 25), kBluePx);  // on the diagonal rapid back
    EXPECT_EQ(px(*form2, 300, 300), kWhitePx);
    // The travel after the last cut-off counts as a gap only at a next cut-on.
    EXPECT_EQ(form2->windowTitle(), "Cut 224.340  Rapid 0.000  Total Distance 224.340");
    EXPECT_EQ(form2->CutTimeLabel->text(), "Time 224.340");
    EXPECT_EQ(form2->RapidTimeLabel->text(), " + 0.000");
    EXPECT_EQ(form2->Bigx->text(), "Max 50.0");
    EXPECT_EQ(form2->Bigy->text(), "Max 80.0");
    EXPECT_EQ(form2->Area->text(), "Area 4000");
    // The press point follows the pen: interactive drawing continues there.
    EXPECT_EQ(form2->PressPoint(), QPoint(100, 460));
}

TEST_F(PlotWindow, EditsWhileALongPlotRunsLeaveItThePlotOfTheTextItStarted) {
    // 40,000 lines: read on a second thread straight from the editor. Events
    // run every 1000 lines; at the tenth, the text is typed into and then
    // replaced altogether. The plot goes on with the text it started with.
    std::string text = "G00 X0 Y0\nM03\n";
    for (int i = 0; i < 40000; ++i)
        text += "G01 X" + std::to_string(i % 200) + " Y" + std::to_string((i * 7) % 300) + "\n";
    text += "M05\n";
    program(text);
    form2->Redraw();
    const QImage clean = form2->Canvas().Image().copy();
    const QString caption = form2->windowTitle(), bigx = form2->Bigx->text();
    QImage blank = clean;
    blank.fill(Qt::white);
    ASSERT_NE(clean, blank);

    int events = 0;
    std::function<void()> next = [&] {
        if (++events == 10) {
            form1->RichEdit1->insertAt("G01 X900 Y900\n", 0, 0);
            form1->RichEdit1->LoadBytes("G00 X0 Y0\nG01 X5 Y5\n");
            return;
        }
        QTimer::singleShot(0, next);
    };
    QTimer::singleShot(0, next);
    form2->Redraw();
    EXPECT_EQ(events, 10) << "the edits came while the plot ran";
    EXPECT_EQ(form2->Canvas().Image(), clean);
    EXPECT_EQ(form2->windowTitle(), caption);
    EXPECT_EQ(form2->Bigx->text(), bigx);
    // The next plot reads the new text.
    form2->Redraw();
    EXPECT_EQ(form2->Bigx->text(), "Max 5.0");
}

TEST_F(PlotWindow, ABurstOfScaleChangesGivesOneRedraw) {
    program("\nG01 X10\n");
    const int before = form2->RedrawCount();
    // The delay drawn out so that only the test decides when it ends.
    QTimer* delay = form2->Timer2;
    ASSERT_TRUE(delay->isSingleShot());
    delay->setInterval(60000);
    for (int v : {2, 20, 200, 2000}) form2->SpinEdit1->setValue(v);
    EXPECT_TRUE(delay->isActive());
    delay->stop();
    form2->SpinEdit3->setValue(10);  // angles start the same timer
    EXPECT_TRUE(delay->isActive());
    QApplication::processEvents();
    EXPECT_EQ(form2->RedrawCount(), before);
    delay->start(0);
    QTRY_COMPARE(form2->RedrawCount(), before + 1);
    EXPECT_FALSE(delay->isActive());  // nothing more to come
    QApplication::processEvents();
    EXPECT_EQ(form2->RedrawCount(), before + 1);
    EXPECT_FLOAT_EQ(form2->State().ViewScale, 2.0f);
    EXPECT_EQ(form2->SpinEdit1->singleStep(), 200);
}

TEST_F(PlotWindow, ZoomButtonsAndGridPresets) {
    form2->ZoomPlusClick();
    EXPECT_EQ(form2->SpinEdit1->value(), 2000);
    form2->ZoomMinusClick();
    form2->ZoomMinusClick();
    EXPECT_EQ(form2->SpinEdit1->value(), 500);
    form2->PresetScale(16000);
    EXPECT_EQ(form2->SpinEdit1->value(), 16000);
}

TEST_F(PlotWindow, FlatReturnsToTheStoredAngles) {
    settings->SetInt("AngStepSpinEdit", 5);
    settings->SetInt("XViewangle", 30);
    settings->SetInt("YViewangle", -45);
    form2->FlatClick();
    EXPECT_EQ(form2->SpinEdit4->value(), 30);
    EXPECT_EQ(form2->SpinEdit3->value(), 45);
    EXPECT_EQ(form2->ZAxisSpinEdit->value(), 0);
    form2->SpinEdit4->setValue(90);  // turned by hand
    settings->SetInt("XViewangle", 30);
    form2->FlatClick();
    EXPECT_EQ(form2->SpinEdit4->value(), 30);
    EXPECT_EQ(form2->ScrollBar1->maximum(), 36);
}

TEST_F(PlotWindow, PanMenuMovesTheViewShiftArrowsMoveThePart) {
    program("\nG01 X10\n");
    form2->PanClick(0, 100);  // Up
    EXPECT_EQ(form2->State().OriginY, 560);
    form2->PanClick(-100, 0);  // Right
    EXPECT_EQ(form2->State().OriginX, 0);
    QTest::keyClick(form2->SpinEdit1, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(form2->State().OriginY, 460);
    EXPECT_EQ(form2->SpinEdit1->value(), 1000);  // the key was consumed
    const int before = form2->RedrawCount();
    QTest::keyClick(form2->CutSpeedEdit, Qt::Key_A, Qt::ShiftModifier);
    EXPECT_EQ(form2->RedrawCount(), before + 1);
    EXPECT_EQ(form2->CutSpeedEdit->text(), "1.00");  // swallowed
    form2->State().OriginX = 29950;
    QTest::keyClick(form2.get(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(form2->State().OriginX, 30000);
}

TEST_F(PlotWindow, LeftPressPutsProgramZeroThere) {
    program("\nG01 X10 Y10\n");
    form2->Image1MouseDown(Qt::LeftButton, 300, 200);
    EXPECT_EQ(form2->State().OriginX, 300);
    EXPECT_EQ(form2->State().OriginY, 200);
    EXPECT_EQ(px(*form2, 305, 205), kRedPx);
}

TEST_F(PlotWindow, CursorReadOutInProgramUnits) {
    form2->SpinEdit1->setValue(2000);
    form2->Redraw();
    form2->Image1MouseMove(150, 400);
    EXPECT_EQ(form2->Label1->text(), "25.000");   // (150 - 100) / 2: program Y
    EXPECT_EQ(form2->Label2->text(), "-30.000");  // (400 - 460) / 2: program X
}

TEST_F(PlotWindow, ZoomBoxRecentresAndScalesAndPreviousRestores) {
    form2->resize(800, 600);
    form2->show();
    QApplication::processEvents();
    const int clientH = form2->ScrollBox1->viewport()->height();
    form2->ZoomClick();
    EXPECT_TRUE(form2->Previous1->isEnabled());
    form2->Image1MouseDown(Qt::LeftButton, 100, 100);
    form2->Image1MouseMove(120, 102);
    form2->Image1MouseUp(Qt::LeftButton, 120, 102);
    // A tiny box: at most ten times.
    EXPECT_EQ(form2->SpinEdit1->value(), 10000);
    EXPECT_FALSE(form2->ZoomBoxMode());
    form2->PreviousClick();
    EXPECT_EQ(form2->SpinEdit1->value(), 1000);
    EXPECT_EQ(form2->State().OriginX, 100);
    EXPECT_EQ(form2->State().OriginY, 460);
    EXPECT_FALSE(form2->Previous1->isEnabled());
    // A flat box recentres without changing the scale.
    form2->ZoomClick();
    form2->Image1MouseDown(Qt::LeftButton, 200, 300);
    form2->Image1MouseMove(260, 300);
    form2->Image1MouseUp(Qt::LeftButton, 260, 300);
    EXPECT_EQ(form2->SpinEdit1->value(), 1000);
    const int cx = form2->ScrollBox1->viewport()->width() / 2 + form2->ScrollBox1->horizontalScrollBar()->value();
    EXPECT_EQ(form2->State().OriginX, 100 - (260 - 30 - cx));
    const int cy = clientH - clientH / 2 + form2->ScrollBox1->verticalScrollBar()->value();
    EXPECT_EQ(form2->State().OriginY, 460 + cy - 300);
    EXPECT_TRUE(form2->Timer2->isActive());
    // The rubber box is gone from the image.
    EXPECT_EQ(px(*form2, 230, 300), kWhitePx);
}

TEST_F(PlotWindow, RightButtonSingleStepsWhileHeld) {
    program("\nG01 X10\nX20\nX30\n");
    EXPECT_EQ(form2->Timer1->interval(), 121);
    form2->Redraw();
    EXPECT_EQ(form2->Timer1->interval(), 60);  // "SingleStep Del" taken by Setaxis
    form2->State().CurLine = 0;
    form2->Image1MouseDown(Qt::RightButton, 10, 10);
    EXPECT_TRUE(form2->Timer1->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(form2->State().CurLine, 3, 2000);
    form2->Image1MouseUp(Qt::RightButton, 10, 10);
    EXPECT_FALSE(form2->Timer1->isActive());
    EXPECT_EQ(px(*form2, 100, 475), kRedPx);
    EXPECT_EQ(px(*form2, 100, 485), kWhitePx);  // line 3 not reached yet
}

TEST_F(PlotWindow, PlotToCursorStopsAtTheCaretLine) {
    program("\nG01 X10\nX20\nX30\n");
    tolva::App().SelStartLine = 1;  // caret in line 2
    form2->SpeedButton10Click();
    EXPECT_EQ(form2->State().PrevX, 10);
    EXPECT_EQ(px(*form2, 100, 465), kRedPx);
    EXPECT_EQ(px(*form2, 100, 475), kWhitePx);
}

TEST_F(PlotWindow, PlotToCursorRepaintsAtMostSixtyTimesASecondAndStopsAtEsc) {
    // Twenty full circles of radius 200 pixels, each drawn segment by segment.
    std::string text = "\nG00 X200 Y0\nM03\n";
    for (int i = 0; i < 20; ++i) text += "G02 X200 Y0 I0 J0\n";
    program(text);
    form2->resize(900, 700);
    form2->show();
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    QApplication::processEvents();
    form2->Image1->installEventFilter(&counter);
    tolva::App().SelStartLine = 22;  // caret after the last circle

    QElapsedTimer clock;
    clock.start();
    form2->SpeedButton10Click();
    const qint64 ms = clock.elapsed();
    EXPECT_EQ(form2->State().CurLine, 22);
    EXPECT_LE(counter.paints, ms / 16 + 2) << ms << " ms";
    EXPECT_EQ(px(*form2, 100, 460 - 200), kRedPx);  // the circles' far side, at X-200

    // Esc pressed while it runs stops it at the next line's end.
    QTimer::singleShot(0, [this] { QTest::keyClick(form2->SpinEdit1, Qt::Key_Escape); });
    form2->SpeedButton10Click();
    EXPECT_LT(form2->State().CurLine, 3);
    EXPECT_FALSE(form2->Plotting());
    // A redraw after it is not held back.
    form2->Redraw();
    EXPECT_EQ(form2->RedrawCount(), 1);
}

TEST_F(PlotWindow, EscDuringALongPlotLeavesACleanCanvasAndTheWindowAlive) {
    std::string text;
    for (int i = 0; i < 200000; ++i) text += "G01 X" + std::to_string(i % 300) + " Y" + std::to_string(i % 200) + "\n";
    program(text);
    // Esc arrives as a key press while the plot lets pending events run.
    QTimer::singleShot(0, [this] { QTest::keyClick(form2->SpinEdit1, Qt::Key_Escape); });
    form2->Redraw();
    EXPECT_FALSE(form2->Plotting());
    EXPECT_EQ(px(*form2, 100 + 50, 460 + 50), kWhitePx);
    EXPECT_EQ(form2->State().TotalDist, 0);
    EXPECT_EQ(form2->windowTitle(), "Plot ");
}

TEST_F(PlotWindow, AChangeDuringAPlotRestartsIt) {
    std::string text = "\n";
    for (int i = 0; i < 5000; ++i) text += "G01 X5 Y5\n";
    program(text);
    QTimer::singleShot(0, [this] {
        form1->RichEdit1->LoadBytes("\nG01 X40\n");
        form2->Redraw();  // the main window's redraw after a change
    });
    form2->Redraw();
    EXPECT_EQ(form2->State().PrevX, 40);
    EXPECT_EQ(px(*form2, 100, 490), kRedPx);
}

TEST_F(PlotWindow, Screenshots) {
    const char* out = std::getenv("TOLVA_PLOT_SHOT");
    if (!out) GTEST_SKIP() << "set TOLVA_PLOT_SHOT to a file prefix";
    program(
        // A slot: rounded corners at X150, a dome to X-125 over Y0..250, and
        // a hole of radius 30 at X75 Y130. Centres are absolute.
        "G00 X0 Y0\n"
        "M03\n"
        "G01 X100 Y0\n"
        "G03 X150 Y50 I100 J50\n"
        "G01 X150 Y200\n"
        "G03 X100 Y250 I100 J200\n"
        "G01 X0 Y250\n"
        "G03 X0 Y0 R125\n"
        "M05\n"
        "G00 X75 Y100\n"
        "M03\n"
        "G02 X75 Y100 I75 J130\n"
        "M05\n"
        "G00 X0 Y0\n");
    form2->resize(1250, 800);
    form2->show();
    form2->Redraw();
    QApplication::processEvents();
    form2->ScrollBox1->verticalScrollBar()->setValue(250);
    form2->grab().save(QString(out) + "-flat.png");
    form2->SpinEdit3->setValue(30);
    form2->SpinEdit4->setValue(30);
    form2->ZAxisSpinEdit->setValue(30);
    form2->Timer2Timer();
    QApplication::processEvents();
    form2->grab().save(QString(out) + "-303030.png");
}

}  // namespace
