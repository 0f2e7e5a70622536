// The plot window's "Draw" menu: lines, arcs and circles drawn with the mouse
// are appended to the main editor's program (plot/drawing.h builds the lines).
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>

#include <cstdlib>

#include "base/main_editor_qt.h"
#include "base/program_editor_qt.h"
#include "plot/drawing_window.h"
#include "plot/plot_window.h"
#include "settings/machine_settings.h"

void TForm2::buildDrawMenu() {
    Draw1 = menuBar()->addMenu("&Draw");
    Draw1->setObjectName("Draw1");
    auto item = [this](const char* name, const char* caption, std::function<void()> f) {
        QAction* a = Draw1->addAction(caption, this, std::move(f));
        a->setObjectName(name);
        return a;
    };
    Line1 = item("Line1", "Line", [this] { LineClick(); });
    CwArc1 = item("CwArc1", "Clockwise Arc", [this] { ArcClick(false); });
    CcwArc1 = item("CcwArc1", "Counter Clockwise Arc", [this] { ArcClick(true); });
    CwCircle1 = item("CwCircle1", "Clockwise Circle", [this] { CircleClick(false); });
    CcwCircle1 = item("CcwCircle1", "Counterclockwise Circle", [this] { CircleClick(true); });
    Draw1->addSeparator();
    CutOff1 = item("CutOff1", "Cut Off", [this] { CutOffClick(); });
    CutOff1->setToolTip("Insert Cut off text");
    CutOn1 = item("CutOn1", "Cut On", [this] { CutOnClick(); });
    CutOn1->setToolTip("Insert cut on text");
    connect(Draw1, &QMenu::aboutToShow, this, [this] { Draw1Click(); });
}

void TForm2::Draw1Click() {
    const tolva::AxisCodes codes = settings_ ? settings_->Setaxis() : tolva::AxisCodes{};
    auto titled = [&](int row) {
        const std::string title = settings_ ? settings_->Labels().Cell(0, row) : std::string();
        return QString::fromStdString(title + " " + codes.Code(row));
    };
    CutOff1->setText(titled(tolva::LabelRow::EndBlock));
    CutOn1->setText(titled(tolva::LabelRow::BeginBlock));
    if (!Form4) return;
    const tolva::Letters& l = codes.letters;
    auto caption = [](const std::string& a, const std::string& b) { return QString::fromStdString(a + " " + b); };
    Form4->Label3->setText(caption(l.X, l.I + " Inc"));
    Form4->Label4->setText(caption(l.Y, l.J + " Inc"));
    Form4->Label5->setText(caption(l.X, "End"));
    Form4->Label6->setText(caption(l.Y, "End"));
    Form4->Label7->setText(caption(l.X, "Abs"));
    Form4->Label8->setText(caption(l.Y, "Abs"));
}

void TForm2::startDrawing(tolva::DrawMode mode, bool ccw, const char* caption) {
    ProgramEditor* e = mainEditor();
    if (e && e->BytesView().empty()) FileHeader();
    interp_.Setaxis();
    drawing_.Start(mode, ccw);
    if (Form4) {
        Form4->setWindowTitle(caption);
        Form4->show();
    }
    Image1->update();
}

void TForm2::LineClick() {
    startDrawing(tolva::DrawMode::Line, false, "Lines");
    CwArc1->setEnabled(false);
    CcwArc1->setEnabled(false);
}

void TForm2::ArcClick(bool ccw) {
    startDrawing(tolva::DrawMode::Arc, ccw, "Cw Arcs");
    Line1->setEnabled(false);
}

void TForm2::CircleClick(bool ccw) {
    startDrawing(tolva::DrawMode::Circle, ccw, ccw ? "Ccw Circle" : "Cw Circle");
    Line1->setEnabled(false);
    CwArc1->setEnabled(false);
    CcwArc1->setEnabled(false);
}

void TForm2::CutOffClick() {
    const tolva::AxisCodes codes = settings_ ? settings_->Setaxis() : tolva::AxisCodes{};
    insertBeforeLast({codes.Code(tolva::LabelRow::EndBlock)});
    if (!drawing_.Active()) Redraw();
}

void TForm2::CutOnClick() {
    const tolva::AxisCodes codes = settings_ ? settings_->Setaxis() : tolva::AxisCodes{};
    insertBeforeLast({codes.Code(tolva::LabelRow::BeginBlock)});
    if (!drawing_.Active()) Redraw();
}

void TForm2::StopDrawing() {
    const bool was = drawing_.Active();
    drawing_.Stop();
    CwArc1->setEnabled(true);
    CcwArc1->setEnabled(true);
    Line1->setEnabled(true);
    if (was) Redraw();
    Image1->update();
}

void TForm2::FileHeader() {
    ProgramEditor* e = mainEditor();
    if (!e) return;
    const tolva::AxisCodes codes = settings_ ? settings_->Setaxis() : tolva::AxisCodes{};
    // Called on an empty editor only: the frame is the whole program.
    e->SetLines(tolva::FileHeader(codes));
    Redraw();
}

void TForm2::DrawALineClick() {
    if (drawing_.Mode != tolva::DrawMode::Line) return;
    insertBeforeLast({drawing_.DrawALine(interp_.Codes(), drawingSettings().DecimalPlaces)});
}

tolva::DrawingSettings TForm2::drawingSettings() const {
    tolva::DrawingSettings s;
    if (!settings_) return s;
    const std::string& dp = settings_->Text("DpEdit");
    char* end = nullptr;
    const long v = std::strtol(dp.c_str(), &end, 10);
    s.DecimalPlaces = !dp.empty() && end && *end == '\0' && v >= 0 && v <= 18 ? static_cast<int>(v) : 3;
    s.RCheckbox = settings_->Flag("RCheckbox");
    s.Bridgeport = settings_->Flag("Bridgeport");
    s.LeadIn = settings_->Flag("CircleCheckBox") || settings_->Flag("ArcleadinCheckBox");
    return s;
}

void TForm2::drawingMove(int x, int y) {
    curX_ = x;
    curY_ = y;
    const tolva::DrawingSettings s = drawingSettings();
    state_.DecimalPlaces = s.DecimalPlaces;
    tolva::DrawingView v;
    v.ViewScale = state_.ViewScale;
    v.OriginX = state_.OriginX;
    v.OriginY = state_.OriginY;
    v.XSign = state_.XSign;
    v.YSign = state_.YSign;
    const tolva::Drawing::Result r = drawing_.C_VectorIJ(pressX_, pressY_, x, y, v, interp_.Codes(), s);
    if (Form4) Form4->Show(drawing_.ReadOut(s.DecimalPlaces), drawing_.Values.Indicator);
    if (!r.lines.empty()) insertBeforeLast(r.lines);
    if (r.finished) StopDrawing();
    Image1->update();
}

void TForm2::insertBeforeLast(const std::vector<std::string>& lines) {
    ProgramEditor* e = mainEditor();
    if (!e || lines.empty()) return;
    const std::string eol = tolva::LineEndText(e->LineEndStyle());
    std::string text;
    for (const std::string& l : lines) text += l + eol;
    const int n = e->LineCount();
    const long pos = n > 0 ? e->PosOfLine(n - 1) : 0;
    e->SendScintilla(QsciScintillaBase::SCI_SETTARGETSTART, static_cast<unsigned long>(pos));
    e->SendScintilla(QsciScintillaBase::SCI_SETTARGETEND, static_cast<unsigned long>(pos));
    e->SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, text.size(), text.data());
}

void TForm2::paintRubberBand(QPainter& p) {
    if (!drawing_.Active()) return;
    p.save();
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Qt::NoBrush);
    p.drawLine(pressX_, pressY_, curX_, curY_);
    if (drawing_.Mode != tolva::DrawMode::Line && drawing_.Clicks == 1) {
        const double r = static_cast<double>(drawing_.Values.Radius) * state_.ViewScale;
        p.drawEllipse(QPointF(pressX_, pressY_), r, r);
    }
    p.restore();
}
