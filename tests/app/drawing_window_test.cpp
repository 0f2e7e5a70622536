// Interactive drawing driven by mouse events on the plot canvas: the lines
// appended to the main editor's program, read back by LinuxCNC's rs274.
#include "plot/drawing_window.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "../plot/interpreter_rig.h"
#include "../support/rs274_oracle.h"
#include "main_window_fixture.h"

namespace {

struct Drawing : tolva::test::MainWindowFixture<> {
    std::unique_ptr<TForm4> form4;

    void SetUp() override {
        tolva::test::MillLabels(*settings);
        // A frame rs274 runs: metric, absolute arc centres, a feed and a speed.
        settings->SetCell(1, tolva::LabelRow::FileStart, "G21 G90.1 G17 F100 S1000");
        settings->SetCell(1, tolva::LabelRow::KerfCompLeft, "G40");
        settings->SetCell(1, tolva::LabelRow::LeadIn, "(lead in)");
        settings->SetCell(1, tolva::LabelRow::FileEnd, "M30");
        settings->SetCell(0, tolva::LabelRow::BeginBlock, "Begin Block");
        settings->SetCell(0, tolva::LabelRow::EndBlock, "End Block");
        settings->SetText("DpEdit", "3");
        Open();
        form4 = std::make_unique<TForm4>();
        tolva::App() = tolva::AppState{};
        form2->resize(900, 700);
        form2->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        form4.reset();
        MainWindowFixture::TearDown();
    }
    // Canvas pixel of program point (x, y): scale 1, program zero at (100, 460).
    static QPoint at(double x, double y) { return {100 + int(y), 460 + int(x)}; }
    // Sent straight to the canvas: QTest::mouseMove warps the pointer on X
    // servers, whose move then arrives later.
    void move(QPoint p) {
        QMouseEvent e(QEvent::MouseMove, QPointF(p), form2->Image1->mapToGlobal(QPointF(p)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(form2->Image1, &e);
    }
    void click(QPoint p, Qt::MouseButton b = Qt::LeftButton) {
        move(p);
        QTest::mouseClick(form2->Image1, b, Qt::NoModifier, p);
    }
    std::vector<std::string> program() const { return form1->RichEdit1->Lines(); }
};

TEST_F(Drawing, LinesArcsAndACircleAppendTheirLinesAndRs274FindsTheClickedPoints) {
    form2->Draw1Click();  // the menu opens
    EXPECT_EQ(form2->CutOff1->text(), "End Block M05");
    EXPECT_EQ(form2->CutOn1->text(), "Begin Block M03");
    EXPECT_EQ(form4->Label3->text(), "X I Inc");
    // Lines: the first on an empty editor writes the frame and plots it.
    form2->LineClick();
    EXPECT_EQ(form4->windowTitle(), "Lines");
    EXPECT_FALSE(form2->CwArc1->isEnabled());
    ASSERT_EQ(program().size(), 7u);
    EXPECT_EQ(form2->PressPoint(), at(0, 0));  // drawing goes on from the frame's X0 Y0
    click(at(30, 40));
    EXPECT_EQ(form4->Edit7->text(), "30.000");
    EXPECT_EQ(form4->Edit8->text(), "40.000");
    const int redraws = form2->RedrawCount();
    click(at(60, 60), Qt::RightButton);  // appends its own line, then ends the mode
    EXPECT_FALSE(form2->DrawingState().Active());
    EXPECT_EQ(form2->RedrawCount(), redraws + 1);
    EXPECT_TRUE(form2->CwArc1->isEnabled());

    // A clockwise arc of more than half a turn, radius 50: start (60, 60),
    // centre (100, 90), end (150, 90).
    settings->SetFlag("RCheckbox", true);
    form2->ArcClick(false);
    EXPECT_FALSE(form2->Line1->isEnabled());
    EXPECT_EQ(form2->PressPoint(), at(60, 60));
    click(at(100, 90));
    move(at(150, 90));
    EXPECT_EQ(form4->Label12->text(), ">");  // more than half a turn
    EXPECT_EQ(form4->Edit2->text(), "50.000");
    click(at(150, 90));
    EXPECT_FALSE(form2->DrawingState().Active());

    // Counter-clockwise, also the long way: centre (120, 50), end (120, 0).
    form2->ArcClick(true);
    click(at(120, 50));
    move(at(120, 0));
    EXPECT_EQ(form4->Label12->text(), ">");
    click(at(120, 0));

    // Counter-clockwise the short way, with absolute I and J: centre (90, 40), end (140, 40).
    settings->SetFlag("RCheckbox", false);
    form2->ArcClick(true);
    click(at(90, 40));
    move(at(140, 40));
    EXPECT_EQ(form4->Label12->text(), "<");
    click(at(140, 40));

    // A clockwise circle with a lead-in: centre (40, 200), radius 50.
    settings->SetFlag("CircleCheckBox", true);
    form2->CircleClick(false);
    EXPECT_EQ(form4->windowTitle(), "Cw Circle");
    click(at(40, 200));
    click(at(70, 240));

    const std::vector<std::string> expected = {
        "G21 G90.1 G17 F100 S1000", "G90", "G40", "M03", "(leadin)", "G01 X0.000 Y0.000",
        "G01 X30.000 Y40.000",
        "G01 X60.000 Y60.000",
        "G02 X150.000 Y90.000 R-50.000 ",
        "G03 X120.000 Y0.000 R-50.000 ",
        "G03 X140.000 Y40.000 I90.000 J40.000 ",
        "M05",
        "G01X40.000 Y200.000",
        "M03",
        "G01X40.000 Y200.000",
        "G01X-10.000 Y200.000",
        "G02 X40.000 Y250.000 I40.000 J200.000 ",
        "G02 X90.000 Y200.000 I40.000 J200.000 ",
        "G02 X40.000 Y150.000 I40.000 J200.000 ",
        "G02 X-10.000 Y200.000 I40.000 J200.000 ",
        "G01X40.000 Y200.000",
        "M05",
        "M30"};
    EXPECT_EQ(program(), expected);

    // rs274 reads the arcs' centres and ends as the clicked points.
    std::vector<tolva::test::CanonMove> moves;
    ASSERT_NO_FATAL_FAILURE(tolva::test::Rs274(program(), moves));
    struct Want {
        tolva::test::CanonMove::Kind kind;
        double x, y, cx, cy;
        int turn;
    };
    using K = tolva::test::CanonMove;
    const Want want[] = {
        {K::SpindleOn, 0, 0, 0, 0, 0},        {K::Feed, 0, 0, 0, 0, 0},
        {K::Feed, 30, 40, 0, 0, 0},           {K::Feed, 60, 60, 0, 0, 0},
        {K::Arc, 150, 90, 100, 90, -1},       {K::Arc, 120, 0, 120, 50, 1},
        {K::Arc, 140, 40, 90, 40, 1},         {K::SpindleOff, 0, 0, 0, 0, 0},
        {K::Feed, 40, 200, 0, 0, 0},          {K::SpindleOn, 0, 0, 0, 0, 0},
        {K::Feed, 40, 200, 0, 0, 0},          {K::Feed, -10, 200, 0, 0, 0},         {K::Arc, 40, 250, 40, 200, -1},
        {K::Arc, 90, 200, 40, 200, -1},       {K::Arc, 40, 150, 40, 200, -1},
        {K::Arc, -10, 200, 40, 200, -1},      {K::Feed, 40, 200, 0, 0, 0},
        {K::SpindleOff, 0, 0, 0, 0, 0},       {K::SpindleOff, 0, 0, 0, 0, 0}};  // M05, then M30
    ASSERT_EQ(moves.size(), std::size(want));
    for (std::size_t i = 0; i < moves.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(moves[i].kind, want[i].kind);
        EXPECT_NEAR(moves[i].x, want[i].x, 1e-6);
        EXPECT_NEAR(moves[i].y, want[i].y, 1e-6);
        if (want[i].kind == K::Arc) {
            EXPECT_NEAR(moves[i].cx, want[i].cx, 1e-6);
            EXPECT_NEAR(moves[i].cy, want[i].cy, 1e-6);
            EXPECT_EQ(moves[i].turn, want[i].turn);
        }
    }
}

TEST_F(Drawing, Screenshot) {
    const char* out = std::getenv("TOLVA_DRAW_SHOT");
    if (!out) GTEST_SKIP() << "set TOLVA_DRAW_SHOT to a file prefix";
    form2->SpinEdit1->setValue(2000);
    form2->Redraw();
    // A slot's outline drawn with a line and two arcs, then a circle half done.
    auto px = [](double x, double y) { return QPoint(100 + int(2 * y), 460 + int(2 * x)); };
    form2->LineClick();
    click(px(0, 60));
    click(px(100, 60), Qt::RightButton);
    form2->ArcClick(false);
    click(px(100, 30));
    click(px(100, 0));
    form2->CircleClick(true);
    click(px(40, 120));
    move(px(60, 135));
    form2->ScrollBox1->verticalScrollBar()->setValue(300);  // the drawing in view, whatever the screen
    QApplication::processEvents();
    form2->grab().save(QString(out) + "-plot.png");
    form4->grab().save(QString(out) + "-readout.png");
    EXPECT_TRUE(form2->DrawingState().Active());
}

}  // namespace
