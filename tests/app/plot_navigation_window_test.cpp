// Finding one's way in the plot window: wheel zoom about the cursor, drag
// pan and fit; a click on the path selects its line in the editor, the caret
// marks the tool; stepping stops at the program's end.
#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "../plot/interpreter_rig.h"
#include "main_window_fixture.h"

namespace {

constexpr QRgb kWhitePx = 0xFFFFFF;

struct PlotNavigation : tolva::test::MainWindowFixture<> {
    void SetUp() override {
        tolva::test::MillLabels(*settings);
        // Every sign and swap box off: the view's own arithmetic shows.
        Open();
        form2->resize(900, 700);
        form2->show();
        QApplication::processEvents();
        // A 10 x 10 square, one side per line (lines 2 to 5).
        form1->RichEdit1->LoadBytes("G90\nM03\nG01 X10 Y0\nG01 X10 Y10\nG01 X0 Y10\nG01 X0 Y0\nM05\n");
    }
    bool drawn(int x, int y) {
        const QImage& im = form2->Canvas().Image();
        return x >= 0 && y >= 0 && x < im.width() && y < im.height() && (im.pixel(x, y) & 0xFFFFFF) != kWhitePx;
    }
    bool drawnNear(QPoint p) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (drawn(p.x() + dx, p.y() + dy)) return true;
        return false;
    }
    QRect drawing() {
        const QImage& im = form2->Canvas().Image();
        QRect r;
        for (int y = 0; y < im.height(); ++y)
            for (int x = 0; x < im.width(); ++x)
                if (drawn(x, y)) r |= QRect(x, y, 1, 1);
        return r;
    }
    QRect shown() {
        return QRect(form2->ScrollBox1->horizontalScrollBar()->value(), form2->ScrollBox1->verticalScrollBar()->value(),
                     form2->ScrollBox1->viewport()->width(), form2->ScrollBox1->viewport()->height())
            .intersected(form2->Canvas().Image().rect());
    }
    // Pixel of program point (x, y) in the view now.
    QPoint at(double x, double y) {
        const tolva::PlotState& s = form2->State();
        return QPoint(static_cast<int>(std::lround(s.OriginX + y * s.ViewScale * s.YSign)),
                      static_cast<int>(std::lround(s.OriginY + x * s.ViewScale * s.XSign)));
    }
};

TEST_F(PlotNavigation, FitWheelAndPanMoveTheViewAsStated) {
    // Fit: the square fills the visible part of the canvas, centred.
    form2->FitClick();
    const QRect view = shown(), fitted = drawing();
    ASSERT_FALSE(fitted.isEmpty());
    EXPECT_TRUE(view.contains(fitted)) << fitted.x() << "," << fitted.y() << " " << fitted.width() << "x" << fitted.height();
    EXPECT_GT(std::max(fitted.width() / double(view.width()), fitted.height() / double(view.height())), 0.85);
    EXPECT_NEAR(fitted.center().x(), view.center().x(), 3);
    EXPECT_NEAR(fitted.center().y(), view.center().y(), 3);
    const int fitScale = form2->SpinEdit1->value();
    EXPECT_EQ(form2->State().ViewScale, static_cast<float>(fitScale / 1000.0L));

    // The wheel, over the square's corner at program (10, 10): one notch in
    // zooms by 1.25 about it; the corner stays under the cursor and the
    // scroll box does not scroll.
    const QPoint corner = at(10, 10);
    ASSERT_TRUE(drawnNear(corner));
    const int scrollBefore = form2->ScrollBox1->verticalScrollBar()->value();
    QWheelEvent wheel(QPointF(corner), form2->Image1->mapToGlobal(QPointF(corner)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(form2->Image1, &wheel);
    EXPECT_EQ(form2->SpinEdit1->value(), static_cast<int>(std::lround(fitScale * 1.25)));
    EXPECT_EQ(form2->ScrollBox1->verticalScrollBar()->value(), scrollBefore);
    form2->Timer2Timer();  // the delayed redraw
    EXPECT_EQ(form2->State().ViewScale, static_cast<float>(form2->SpinEdit1->value() / 1000.0L));
    const QPoint after = at(10, 10);
    EXPECT_LE((after - corner).manhattanLength(), 1);
    EXPECT_TRUE(drawnNear(after));
    const QRect zoomed = drawing();
    EXPECT_NEAR(zoomed.width(), fitted.width() * 1.25, 2);
    // Out again: back to the fitted size.
    form2->WheelZoom(-1, corner.x(), corner.y());
    form2->Timer2Timer();
    EXPECT_NEAR(drawing().width(), fitted.width(), 2);

    // Drag with the middle button: the drawing follows the mouse.
    const QRect before = drawing();
    const int ox = form2->State().OriginX, oy = form2->State().OriginY;
    form2->Image1MouseDown(Qt::MiddleButton, 300, 300);
    form2->Image1MouseMove(340, 330);
    EXPECT_EQ(form2->Image1->DragOffset, QPoint(40, 30));  // shown moved while dragging
    form2->Image1MouseUp(Qt::MiddleButton, 340, 330);
    EXPECT_EQ(form2->State().OriginX, ox + 40);
    EXPECT_EQ(form2->State().OriginY, oy + 30);
    EXPECT_EQ(drawing(), before.translated(40, 30));
    // Ctrl with the left button drags too, instead of moving program zero.
    form2->Image1MouseDown(Qt::LeftButton, 300, 300, Qt::ControlModifier);
    form2->Image1MouseUp(Qt::LeftButton, 290, 300);
    EXPECT_EQ(form2->State().OriginX, ox + 30);
    EXPECT_EQ(drawing(), before.translated(30, 30));
    // The keys: Ctrl+0 fits again.
    EXPECT_EQ(form2->Fit1->shortcut(), QKeySequence("Ctrl+0"));
    form2->Fit1->trigger();
    EXPECT_EQ(drawing(), fitted);
}

TEST_F(PlotNavigation, AProgramOpensFittedAndActivationDoesNotScroll) {
    const std::string path = dir + "/square.nc";
    ASSERT_TRUE(tolva::WriteFileAtomic(path, form1->RichEdit1->Bytes()).ok);
    ASSERT_TRUE(form1->Load_file(QString::fromStdString(path)));
    form2->Timer2Timer();
    EXPECT_TRUE(shown().contains(drawing()));
    EXPECT_GT(drawing().height(), shown().height() / 2);
    const int scroll = form2->ScrollBox1->verticalScrollBar()->value();
    form2->activateWindow();
    QApplication::processEvents();
    QEvent activation(QEvent::ActivationChange);
    QApplication::sendEvent(form2.get(), &activation);
    EXPECT_EQ(form2->ScrollBox1->verticalScrollBar()->value(), scroll);
}

TEST_F(PlotNavigation, AClickOnThePathSelectsItsLineAndTheCaretMarksTheTool) {
    form2->FitClick();
    ProgramEditor* e = form1->RichEdit1;
    const int ox = form2->State().OriginX;
    // Each side, clicked two pixels beside its middle.
    const struct {
        int line;
        double x, y;
        QPoint off;
    } sides[] = {{2, 5, 0, {2, 0}}, {3, 10, 5, {0, -2}}, {4, 5, 10, {-2, 0}}, {5, 0, 5, {0, 2}}};
    for (const auto& s : sides) {
        const QPoint p = at(s.x, s.y) + s.off;
        form2->Image1MouseDown(Qt::LeftButton, p.x(), p.y());
        form2->Image1MouseUp(Qt::LeftButton, p.x(), p.y());
        EXPECT_EQ(e->LineOfPos(e->SelStart()), s.line);
        EXPECT_EQ(e->selectedText().toStdString(), e->Lines()[static_cast<std::size_t>(s.line)]);
        EXPECT_EQ(tolva::App().SelStartLine, s.line - 1);
        EXPECT_EQ(form2->State().OriginX, ox);  // program zero stays
    }
    // Beside the path, a click still puts program zero there.
    form2->Image1MouseDown(Qt::LeftButton, 5, 5);
    EXPECT_EQ(form2->State().OriginX, 5);
    form2->FitClick();

    // The caret in line 3 (X10 Y10): the marker on the corner it ends at,
    // and what line 3 drew highlighted.
    e->SetCaret(e->PosOfLine(3) + 2);
    form1->MainCaretMoved();
    EXPECT_EQ(form2->MarkedLine(), 3);
    ASSERT_TRUE(form2->Marker().has_value());
    const QPoint corner = at(10, 10);
    EXPECT_LE(std::abs(form2->Marker()->x - corner.x()) + std::abs(form2->Marker()->y - corner.y()), 1);
    // A line that draws nothing (M05) leaves the tool where the last move ended.
    e->SetCaret(e->PosOfLine(6));
    form1->MainCaretMoved();
    const QPoint zero = at(0, 0);
    EXPECT_LE(std::abs(form2->Marker()->x - zero.x()) + std::abs(form2->Marker()->y - zero.y()), 1);
    // The marker is painted on the screen, never into the canvas (prints).
    QImage screen(form2->Image1->size(), QImage::Format_RGB32);
    form2->Image1->render(&screen);
    EXPECT_NE(screen.pixel(zero.x() + 6, zero.y()) & 0xFFFFFF, form2->Canvas().Image().pixel(zero.x() + 6, zero.y()) & 0xFFFFFF);
}

TEST_F(PlotNavigation, SteppingShowsTheToolAndStopsAtTheEndInsteadOfStartingBlank) {
    form2->FitClick();
    EXPECT_TRUE(form2->Image1->statusTip().contains("right button"));
    form2->State().CurLine = 0;
    form2->Timer1->start();
    for (int i = 0; i < 7; ++i) {
        form2->Timer1Timer();
        ASSERT_TRUE(form2->Marker().has_value());
        EXPECT_EQ(*form2->Marker(), form2->Canvas().PenPosition());
    }
    // All seven lines stepped: the timer stops, the square stays drawn.
    EXPECT_FALSE(form2->Timer1->isActive());
    const QPoint corner = at(10, 10);
    EXPECT_TRUE(drawnNear(corner));
}

TEST_F(PlotNavigation, ALongPlotToCursorDrawsUpToTheCaretLineAndLeavesTheEditorThere) {
    // 3000 short moves along X, then one far move across Y that the caret
    // stops before.
    std::string text = "G90\nM03\n";
    for (int i = 1; i <= 3000; ++i) text += "G01 X" + std::to_string(i % 20) + " Y0\n";
    text += "G01 X0 Y40\n";
    form1->RichEdit1->LoadBytes(text);
    form2->SpinEdit1->setValue(5000);
    form2->Redraw();
    const QPoint far = at(0, 30);
    ASSERT_TRUE(drawnNear(far));  // "Plot" draws the last line
    tolva::App().SelStartLine = 3001;  // the caret in the last line: lines 0..3001
    form2->SpeedButton10Click();
    EXPECT_EQ(form2->State().CurLine, 3001);
    EXPECT_TRUE(drawnNear(at(10, 0)));
    EXPECT_FALSE(drawnNear(far));
    EXPECT_FALSE(form2->Plotting());
    ProgramEditor* e = form1->RichEdit1;
    EXPECT_EQ(e->LineOfPos(e->SelStart()), 3002);  // the editor stands after the last line plotted
}

}  // namespace
