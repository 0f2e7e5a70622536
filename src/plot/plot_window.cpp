#include "plot/plot_window.h"

#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QSpinBox>
#include <QTimer>
#include <QPainter>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "base/flow_layout_qt.h"
#include "base/main_editor_qt.h"
#include "base/program_editor_qt.h"
#include "settings/machine_settings.h"
#include "text/number_format.h"

TForm2* Form2 = nullptr;

namespace {

// The canvas is square, as high as the screen.
int screenSide() {
    const QScreen* s = QGuiApplication::primaryScreen();
    const int h = s ? s->geometry().height() : 1000;
    return h > 0 ? h : 1000;
}

// A long plot shows its progress at most this often.
constexpr int kProgressRepaintMs = 250;
// Single-stepped drawing (right button, "Plot to Cursor") is shown as it
// grows, but repainted at most this often (about 60 times a second): a
// repaint of the whole canvas per arc segment froze the window for seconds
// on a few large circles.
constexpr int kStepRepaintMs = 16;
// "Plot to Cursor" over at most this many lines draws single-stepped (arcs
// grow on the screen, the editor follows); a longer run plots as "Plot" does.
constexpr int kSteppedRunLines = 2000;

// Lets pending events run between the lines of "Plot to Cursor", as often
// as the canvas may be repainted: often enough to read Esc at once, seldom
// enough not to slow a long program down.
class StepPump final : public tolva::Host {
public:
    void Message(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return false; }
    void ProcessEvents() override {
        if (since_.isValid() && since_.elapsed() < kStepRepaintMs) return;
        QApplication::processEvents();
        since_.start();
    }

private:
    QElapsedTimer since_;
};

QSpinBox* angleSpin(const char* name, QWidget* parent) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setRange(-180, 180);
    s->setValue(0);
    return s;
}

QScrollBar* angleBar(const char* name, QWidget* parent) {
    auto* b = new QScrollBar(Qt::Horizontal, parent);
    b->setObjectName(name);
    b->setRange(-18, 18);
    b->setValue(0);
    b->setMinimumWidth(60);
    return b;
}

QLabel* label(const char* name, const char* text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

}  // namespace

TForm2::TForm2(tolva::MachineSettings& settings, QWidget* parent) : TForm2(parent) {
    SetSettings(&settings);
}

TForm2::TForm2(QWidget* parent)
    : QMainWindow(parent), canvas_(screenSide()), interp_(state_, canvas_, nullptr, this), pump_(this),
      lineMap_(screenSide(), screenSide()) {
    Form2 = this;
    setObjectName("Form2");
    setWindowTitle("Plot ");
    // A plot without cut codes is all cutting: the pen starts red.
    canvas_.SetPenColour(tolva::kRed);
    canvas_.lineMap = &lineMap_;
    canvas_.currentLine = &state_.CurLine;
    build();
    buildMenus();
    statusBar()->setObjectName("StatusBar1");
    // Beside the main window, as high as it, up to the right edge of the
    // screen's available area.
    if (auto* main = dynamic_cast<QWidget*>(MainWindowAccess)) {
        const QRect m = main->geometry();
        const QScreen* sc = main->screen() ? main->screen() : QGuiApplication::primaryScreen();
        const int right = sc ? sc->availableGeometry().right() + 1 : m.right() + 1 + m.width();
        if (right - (m.right() + 1) >= 200) setGeometry(m.right() + 1, m.y(), right - (m.right() + 1), m.height());
    }
    sinceRepaint_.start();
    qApp->installEventFilter(this);
}

TForm2::~TForm2() {
    qApp->removeEventFilter(this);
    if (Form2 == this) Form2 = nullptr;
}

void TForm2::SetSettings(tolva::MachineSettings* settings) {
    settings_ = settings;
    interp_.SetSettings(settings);
}

void TForm2::build() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Panel1 = new QWidget(central);
    Panel1->setObjectName("Panel1");
    // The groups wrap to further rows in a narrow window, so every label
    // stays on screen.
    auto* flow = new FlowLayout(Panel1, 10);
    flow->setContentsMargins(4, 2, 4, 2);
    auto group = [&](const char* name) {
        auto* w = new QWidget(Panel1);
        w->setObjectName(name);
        auto* g = new QGridLayout(w);
        g->setContentsMargins(0, 0, 0, 0);
        g->setHorizontalSpacing(6);
        g->setVerticalSpacing(1);
        flow->addWidget(w);
        return g;
    };

    SpinEdit1 = new QSpinBox(Panel1);
    SpinEdit1->setObjectName("SpinEdit1");
    SpinEdit1->setRange(1, 999999);
    SpinEdit1->setSingleStep(10);
    SpinEdit1->setValue(1000);
    SpinEdit1->setToolTip("Change view scale");
    SpinEdit3 = angleSpin("SpinEdit3", Panel1);
    SpinEdit4 = angleSpin("SpinEdit4", Panel1);
    ZAxisSpinEdit = angleSpin("ZAxisSpinEdit", Panel1);
    for (QSpinBox* s : {SpinEdit3, SpinEdit4}) {
        s->setSingleStep(10);
        s->setToolTip("Change viewpoint");
        // Turned with the arrows only.
        if (auto* edit = s->findChild<QLineEdit*>()) edit->setReadOnly(true);
    }
    ScrollBar1 = angleBar("ScrollBar1", Panel1);
    ScrollBar2 = angleBar("ScrollBar2", Panel1);
    ScrollBar3 = angleBar("ScrollBar3", Panel1);

    SlideEdit1 = new QLineEdit("5.000", Panel1);
    SlideEdit1->setObjectName("SlideEdit1");
    X_Edit1 = new QLineEdit("1.000", Panel1);
    X_Edit1->setObjectName("X_Edit1");
    CutSpeedEdit = new QLineEdit("1.00", Panel1);
    CutSpeedEdit->setObjectName("F2Edit1");
    CutSpeedEdit->setToolTip("Cut Speed Units per Min");
    RapidSpeedEdit = new QLineEdit("2.00", Panel1);
    RapidSpeedEdit->setObjectName("F2Edit2");
    RapidSpeedEdit->setToolTip("Rapid Speed Units per Min");
    for (QLineEdit* e : {SlideEdit1, X_Edit1, CutSpeedEdit, RapidSpeedEdit}) {
        e->setMinimumWidth(60);
        e->setMaximumWidth(70);
    }

    FlatButton = new QPushButton("Flat", Panel1);
    FlatButton->setObjectName("FlatButton");
    FlatButton->setToolTip("Return to X Y Flat Plane");
    ZoomPlus = new QPushButton("Zoom +", Panel1);
    ZoomPlus->setObjectName("ZoomPlus");
    ZoomMinus = new QPushButton("Zoom -", Panel1);
    ZoomMinus->setObjectName("ZoomMinus");
    SpeedButton10 = new QPushButton("Plot to Cursor", Panel1);
    SpeedButton10->setObjectName("SpeedButton10");

    Label1 = label("Label1", "x 0", Panel1);
    Label2 = label("Label2", "y 0", Panel1);
    Bigx = label("Bigx", "0", Panel1);
    Bigx->setToolTip("Vertical Position");
    Bigy = label("Bigy", "0", Panel1);
    Bigy->setToolTip("Horizontal position");
    Area = label("Area", "Area ", Panel1);
    Label14 = label("Label14", "Cut", Panel1);
    Label15 = label("Label15", "Rapid", Panel1);
    Label16 = label("Label16", "Total", Panel1);
    CutTimeLabel = label("CutTimeLabel", "", Panel1);
    RapidTimeLabel = label("RapidTimeLabel", "", Panel1);
    TotalTimeLabel = label("TotalTimeLabel", "", Panel1);
    Label17 = label("Label17", "Estimate", Panel1);
    EstTimeLabel = label("EstTimeLabel", "", Panel1);
    for (QLabel* l : {Label17, EstTimeLabel})
        l->setToolTip("Minutes with the machine file's axis speeds, accelerations and cornering tolerance "
                      "(section [Motion]); compare with the simple total beside it");
    for (QLabel* l : {CutTimeLabel, RapidTimeLabel, TotalTimeLabel, EstTimeLabel, Bigx, Bigy, Area, Label1, Label2})
        l->setMinimumWidth(90);

    FitButton = new QPushButton("Fit", Panel1);
    FitButton->setObjectName("FitButton");
    FitButton->setToolTip("Fit the drawing to the window (Ctrl+0)");

    QGridLayout* grid = group("ViewGroup");
    int c = 0;
    grid->addWidget(new QLabel("View Scale", Panel1), 0, c);
    grid->addWidget(SpinEdit1, 1, c);
    grid->addWidget(FitButton, 2, c++);
    grid->addWidget(ZoomPlus, 0, c);
    grid->addWidget(ZoomMinus, 1, c++);
    grid->addWidget(new QLabel("Y Rot", Panel1), 0, c);
    grid->addWidget(SpinEdit3, 1, c);
    grid->addWidget(ScrollBar2, 2, c++);
    grid->addWidget(new QLabel("X Rot", Panel1), 0, c);
    grid->addWidget(SpinEdit4, 1, c);
    grid->addWidget(ScrollBar1, 2, c++);
    grid->addWidget(new QLabel("Z Rot", Panel1), 0, c);
    grid->addWidget(ZAxisSpinEdit, 1, c);
    grid->addWidget(ScrollBar3, 2, c++);
    grid->addWidget(FlatButton, 0, c);
    grid->addWidget(SpeedButton10, 1, c++);
    grid = group("ModifierGroup");
    c = 0;
    buildModifiers(grid, c);
    grid = group("TimeGroup");
    c = 0;
    grid->addWidget(new QLabel("Cut Speed", Panel1), 0, c);
    grid->addWidget(CutSpeedEdit, 1, c++);
    grid->addWidget(new QLabel("Rapid Speed", Panel1), 0, c);
    grid->addWidget(RapidSpeedEdit, 1, c++);
    grid->addWidget(Label14, 0, c);
    grid->addWidget(CutTimeLabel, 1, c++);
    grid->addWidget(Label15, 0, c);
    grid->addWidget(RapidTimeLabel, 1, c++);
    grid->addWidget(Label16, 0, c);
    grid->addWidget(TotalTimeLabel, 1, c++);
    grid->addWidget(Label17, 0, c);
    grid->addWidget(EstTimeLabel, 1, c++);
    grid = group("ExtentsGroup");
    c = 0;
    grid->addWidget(new QLabel("Cursor Position", Panel1), 0, c);
    grid->addWidget(Label1, 1, c);
    grid->addWidget(Label2, 2, c++);
    grid->addWidget(Bigx, 0, c);
    grid->addWidget(Bigy, 1, c);
    grid->addWidget(Area, 2, c++);

    ScrollBox1 = new QScrollArea(central);
    ScrollBox1->setObjectName("ScrollBox1");
    Image1 = new PlotImage(canvas_);
    ScrollBox1->setWidget(Image1);
    ScrollBox1->setWidgetResizable(false);
    layout->addWidget(Panel1);
    layout->addWidget(ScrollBox1, 1);
    setCentralWidget(central);
    resize(800, 600);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(121);
    Timer2 = new QTimer(this);
    Timer2->setObjectName("Timer2");
    Timer2->setInterval(200);
    Timer2->setSingleShot(true);

    canvas_.onShow = [this] {
        // What is skipped here is shown by the update at the step's end.
        if (sinceShow_.isValid() && sinceShow_.elapsed() < kStepRepaintMs) return;
        Image1->repaint();
        sinceShow_.start();
    };
    Image1->onPress = [this](QMouseEvent* e) {
        const QPoint p = e->position().toPoint();
        Image1MouseDown(e->button(), p.x(), p.y(), e->modifiers());
    };
    Image1->onMove = [this](QMouseEvent* e) {
        const QPoint p = e->position().toPoint();
        Image1MouseMove(p.x(), p.y());
    };
    Image1->onOverlay = [this](QPainter& p) {
        paintMarks(p);
        paintRubberBand(p);
    };
    Image1->onWheel = [this](QWheelEvent* e) {
        const QPoint p = e->position().toPoint();
        const int notches = e->angleDelta().y() / 120;
        if (notches != 0) WheelZoom(notches, p.x(), p.y());
    };
    Image1->setStatusTip("Wheel: zoom about the cursor.  Middle button or Ctrl+left drag: pan.  Ctrl+0: fit.  "
                         "Left click on the path: select its line; beside it (or Shift+click): program zero there.  "
                         "Hold the right button: step line by line.  Esc: stop a long plot.");
    Image1->onRelease = [this](QMouseEvent* e) {
        const QPoint p = e->position().toPoint();
        Image1MouseUp(e->button(), p.x(), p.y());
    };

    connect(SpinEdit1, &QSpinBox::valueChanged, this, [this] { SpinEdit1Change(); });
    for (QSpinBox* s : {SpinEdit3, SpinEdit4, ZAxisSpinEdit})
        connect(s, &QSpinBox::valueChanged, this, [this] { ViewAngleChange(); });
    connect(ScrollBar1, &QScrollBar::valueChanged, this, [this] { ScrollBar1Change(); });
    connect(ScrollBar2, &QScrollBar::valueChanged, this, [this] { ScrollBar2Change(); });
    connect(ScrollBar3, &QScrollBar::valueChanged, this, [this] { ScrollBar3Change(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(Timer2, &QTimer::timeout, this, [this] { Timer2Timer(); });
    connect(FlatButton, &QPushButton::clicked, this, [this] { FlatClick(); });
    connect(ZoomPlus, &QPushButton::clicked, this, [this] { ZoomPlusClick(); });
    connect(ZoomMinus, &QPushButton::clicked, this, [this] { ZoomMinusClick(); });
    connect(SpeedButton10, &QPushButton::clicked, this, [this] { SpeedButton10Click(); });
    connect(FitButton, &QPushButton::clicked, this, [this] { FitClick(); });
    SpeedButton10->setStatusTip("Plot from the first line to the editor's caret line");
}

void TForm2::buildMenus() {
    QMenu* window = menuBar()->addMenu("&Window");
    Zoom1 = window->addAction("Zoom", this, [this] { ZoomClick(); });
    Zoom1->setObjectName("Zoom1");
    // Ctrl+Z is the desktop's undo; the zoom box takes Ctrl+Shift+Z.
    Zoom1->setShortcut(QKeySequence("Ctrl+Shift+Z"));
    Zoom1->setToolTip("Drag a box around the area to Zoom");
    Previous1 = window->addAction("Previous", this, [this] { PreviousClick(); });
    Previous1->setObjectName("Previous1");
    Previous1->setShortcut(QKeySequence("Ctrl+L"));
    Previous1->setEnabled(false);
    window->addSeparator();
    Fit1 = window->addAction("Fit", this, [this] { FitClick(); });
    Fit1->setObjectName("Fit1");
    Fit1->setShortcut(QKeySequence("Ctrl+0"));
    ZoomIn1 = window->addAction("Zoom In", this, [this] { ZoomPlusClick(); });
    ZoomIn1->setObjectName("ZoomIn1");
    ZoomIn1->setShortcuts({QKeySequence(QKeySequence::ZoomIn), QKeySequence("Ctrl+=")});
    ZoomOut1 = window->addAction("Zoom Out", this, [this] { ZoomMinusClick(); });
    ZoomOut1->setObjectName("ZoomOut1");
    ZoomOut1->setShortcut(QKeySequence(QKeySequence::ZoomOut));

    buildDrawMenu();

    QMenu* gridMenu = menuBar()->addMenu("&Grid");
    QMenu* preset = gridMenu->addMenu("Preset scale to ");
    for (auto [text, value] : {std::pair{"1/10", 10000}, std::pair{"1/100", 100000}, std::pair{"1/1000", 1000000},
                               std::pair{"1/4", 4000}, std::pair{"1/8", 8000}, std::pair{"1/16", 16000}}) {
        const int v = value;
        preset->addAction(text, this, [this, v] { PresetScale(v); });
    }

    QMenu* pan = menuBar()->addMenu("&Pan");
    pan->addAction("Up", this, [this] { PanClick(0, 100); });
    pan->addAction("Down", this, [this] { PanClick(0, -100); });
    pan->addAction("Left", this, [this] { PanClick(100, 0); });
    pan->addAction("Right", this, [this] { PanClick(-100, 0); });

    buildPrintMenu();
}

// ------------------------------------------------------------------ plot

ProgramEditor* TForm2::mainEditor() const { return MainWindowAccess ? MainWindowAccess->MainEditor() : nullptr; }

void TForm2::syncFromApp() {
    if (MainWindowAccess) {
        state_.SelStartLine = MainWindowAccess->SelStartLine();
        state_.SelLineCount = MainWindowAccess->SelLineCount();
    }
    if (ProgramEditor* e = mainEditor()) interp_.MainLineCount = e->LineCount();
    interp_.View().SetViewAngles(SpinEdit3->value(), SpinEdit4->value(), ZAxisSpinEdit->value());
}

void TForm2::PlotAll(ProgramEditor* editor, bool setOrigin, bool clear, int y, int x) {
    Timer2->stop();
    const Request r{editor, setOrigin, clear, y, x};
    if (plotting_) {
        // Called from the pending events of a running plot (the program or
        // the view changed): stop that plot and run this one after it.
        pending_ = r;
        state_.AbortPlot = true;
        return;
    }
    plotting_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    runPlot(r);
    while (pending_) {
        const Request next = *pending_;
        pending_.reset();
        runPlot(next);
    }
    if (fitNext_ && r.editor == mainEditor() && !state_.AbortPlot) {
        // A program just opened: fitted now that its extents are known.
        fitNext_ = false;
        const tolva::ViewPlace to = fitPlace();
        if (to.ScaleValue != SpinEdit1->value() || to.OriginX != state_.OriginX || to.OriginY != state_.OriginY) {
            takePlace(to);
            runPlot({mainEditor(), false, true, 0, 0});
        }
    }
    QApplication::restoreOverrideCursor();
    plotting_ = false;
    stepLines_.reset();  // a single-step run restarts from the new text
}

void TForm2::runPlot(const Request& r) {
    ++redraws_;
    syncFromApp();
    // The main editor's text is read where the editor holds it; should
    // pending events edit it mid-plot, the plot first takes a copy of it as
    // it was. Another editor's text is copied at once (its window may close).
    const bool main = r.editor && r.editor == mainEditor();
    std::string copy;
    if (r.editor && !main) copy = std::string(r.editor->BytesView());
    const std::string_view bytes = main ? r.editor->BytesView() : std::string_view(copy);
    tolva::ByteLines lines(bytes);
    lines.MainEditor = main;
    if (!mainEditor()) interp_.MainLineCount = lines.Count();
    QMetaObject::Connection moving;
    if (main) {
        moving = connect(r.editor, &ProgramEditor::aboutToChange, this, [&] {
            if (!copy.empty() || bytes.empty()) return;
            interp_.TextMoving([&] {
                copy = std::string(bytes);
                lines.Rebase(copy);
            });
        });
    }
    sinceRepaint_.restart();
    interp_.PlotAll(lines, r.setOrigin, r.clear, r.y, r.x, pump_);
    if (moving) disconnect(moving);
    // Interactive drawing continues from the end of the program.
    const tolva::Pixel p = canvas_.PenPosition();
    pressX_ = curX_ = p.x;
    pressY_ = curY_ = p.y;
    refreshMarks();  // the marked line as this plot drew it
}

void TForm2::Redraw() { PlotAll(mainEditor(), false, true, 0, 0); }

void TForm2::restartRedraw() { Timer2->start(); }

// ------------------------------------------------------------ PlotView

int TForm2::ViewScaleValue() { return SpinEdit1->value(); }

tolva::VisibleArea TForm2::Visible() {
    tolva::VisibleArea a;
    a.ClientWidth = ScrollBox1->viewport()->width();
    a.ClientHeight = ScrollBox1->viewport()->height();
    a.ScrollX = ScrollBox1->horizontalScrollBar()->value();
    a.ScrollY = ScrollBox1->verticalScrollBar()->value();
    // The canvas coordinates here start at the scroll box's content, not at
    // the window's client area: the toolbar and caption allowance the scale
    // re-centring adds (the panel height plus 25) is therefore cancelled.
    a.PanelHeight = -25;
    return a;
}

int TForm2::CanvasHeight() { return canvas_.Image().height(); }
std::string TForm2::CutSpeedText() { return CutSpeedEdit->text().toStdString(); }
std::string TForm2::RapidSpeedText() { return RapidSpeedEdit->text().toStdString(); }
void TForm2::SetSingleStepInterval(int ms) { Timer1->setInterval(ms); }

void TForm2::DisableSpinFlipFlop() {
    for (auto* b : {SpeedButton9, FlipButton, FlopButton}) b->setEnabled(false);
}

void TForm2::EnableSpinFlipFlop() {
    for (auto* b : {SpeedButton9, FlipButton, FlopButton}) b->setEnabled(true);
}

void TForm2::ShowSummary(const tolva::PlotSummary& s) {
    setWindowTitle(QString::fromStdString(s.Caption));
    CutTimeLabel->setText(QString::fromStdString(s.CutTime));
    RapidTimeLabel->setText(QString::fromStdString(s.RapidTime));
    TotalTimeLabel->setText(QString::fromStdString(s.TotalTime));
    EstTimeLabel->setText(QString::fromStdString(s.EstTime));
    Bigx->setText(QString::fromStdString(s.Bigx));
    Bigy->setText(QString::fromStdString(s.Bigy));
    Area->setText(QString::fromStdString(s.Area));
}

void TForm2::FollowEditor(int line, long long) {
    followLine_ = line;
    // Moving the editor's caret scrolls and repaints it: during a long run
    // it follows as often as the canvas is shown, and at the run's end.
    if (plotting_ && sinceFollow_.isValid() && sinceFollow_.elapsed() < kStepRepaintMs) return;
    sinceFollow_.start();
    moveEditorTo(line);
}

void TForm2::moveEditorTo(int line) {
    ProgramEditor* e = mainEditor();
    if (!e || line < 0) return;
    // The running offset counts two characters per line end; the editor's
    // own line starts are right for every line-end style.
    const int n = e->LineCount();
    const int pos = line + 1 < n ? e->PosOfLine(line + 1) : static_cast<int>(e->BytesView().size());
    e->SendScintilla(QsciScintillaBase::SCI_SETSEL, pos, pos + 1);
    MainWindowAccess->MainCaretMoved();
}

void TForm2::ShowProgress() {
    // Enough to see the plot grow, not a repaint per thousand lines.
    if (sinceRepaint_.elapsed() >= kProgressRepaintMs) {
        Image1->update();
        if (cursorRun_) moveEditorTo(state_.CurLine);
        sinceRepaint_.restart();
    }
}

// ---------------------------------------------------------------- events

int TForm2::angleStep() const {
    const int s = settings_ ? settings_->Int("AngStepSpinEdit") : 5;
    return s < 1 ? 1 : s;
}

void TForm2::SpinEdit1Change() {
    if (SpinEdit1->value() <= 0) SpinEdit1->setValue(1);
    restartRedraw();
    SpinEdit1->setSingleStep(std::max(1, SpinEdit1->value() / 10));
}

void TForm2::ViewAngleChange() {
    restartRedraw();
    interp_.View().SetViewAngles(SpinEdit3->value(), SpinEdit4->value(), ZAxisSpinEdit->value());
}

void TForm2::ScrollBar1Change() {
    const int step = angleStep();
    SpinEdit4->setValue(step * ScrollBar1->value());
    ScrollBar1->setRange(-(180 / step), 180 / step);
}

void TForm2::ScrollBar2Change() {
    const int step = angleStep();
    SpinEdit3->setValue(-(step * ScrollBar2->value()));
    ScrollBar2->setRange(-(180 / step), 180 / step);
}

void TForm2::ScrollBar3Change() {
    const int step = angleStep();
    ZAxisSpinEdit->setValue(-(step * ScrollBar3->value()));
    ScrollBar3->setRange(-(180 / step), 180 / step);
}

void TForm2::FlatClick() {
    const int step = angleStep();
    const int x = settings_ ? settings_->Int("XViewangle") : 0;
    const int y = settings_ ? settings_->Int("YViewangle") : 0;
    const int z = settings_ ? settings_->Int("ZViewAngle") : 0;
    // The range first, so a position beyond the old range is not cut; the
    // handlers run even when a position does not change, so "Flat" always
    // returns to the stored angles.
    for (QScrollBar* b : {ScrollBar1, ScrollBar2, ScrollBar3}) b->setRange(-(180 / step), 180 / step);
    ScrollBar1->setValue(x / step);
    ScrollBar2->setValue(y / step);
    ScrollBar3->setValue(z / step);
    ScrollBar1Change();
    ScrollBar2Change();
    ScrollBar3Change();
}

void TForm2::Timer1Timer() {
    if (plotting_) return;
    ProgramEditor* e = mainEditor();
    if (!e) return;
    if (!stepLines_ || state_.CurLine == 0) {
        stepBytes_ = std::string(e->BytesView());
        stepLines_ = std::make_unique<tolva::ByteLines>(stepBytes_);
        stepLines_->MainEditor = true;
    }
    syncFromApp();
    interp_.SingleStepAline(*stepLines_);
    marker_ = canvas_.PenPosition();
    markedPixels_.clear();
    // Past the last line the next step would start afresh on a blank canvas:
    // the stepping stops at the end instead (a new press starts it again).
    if (state_.CurLine == 0) Timer1->stop();
    Image1->update();
}

void TForm2::Timer2Timer() { Redraw(); }

void TForm2::ZoomPlusClick() { SpinEdit1->setValue(std::min(999999, SpinEdit1->value() * 2)); }
void TForm2::ZoomMinusClick() { SpinEdit1->setValue(std::max(1, SpinEdit1->value() / 2)); }
void TForm2::PresetScale(int value) { SpinEdit1->setValue(value); }

void TForm2::ZoomClick() {
    StopDrawing();
    zoomBox_ = true;
    zoomDrag_ = false;
    Previous1->setEnabled(true);
}

void TForm2::PreviousClick() {
    tolva::Projection& v = interp_.View();
    state_.OriginX = v.PreviousOriginX;
    state_.OriginY = v.PreviousOriginY;
    v.PreviousRestored = true;
    SpinEdit1->setValue(v.PreviousScaleValue);
    Previous1->setEnabled(false);
    restartRedraw();  // also when the scale value is unchanged
}

void TForm2::PanClick(int dx, int dy) {
    state_.OriginX += dx;
    state_.OriginY += dy;
    Redraw();
}

void TForm2::SpeedButton10Click() {
    ProgramEditor* e = mainEditor();
    if (!e || plotting_) return;
    // While it runs, Esc stops it and a redraw asked for waits until it ends.
    plotting_ = true;
    syncFromApp();
    const std::string bytes(e->BytesView());
    tolva::ByteLines lines(bytes);
    lines.MainEditor = true;
    StepPump pump;
    followLine_ = -1;
    sinceFollow_.invalidate();
    const int last = state_.SelStartLine;
    if (last + 1 <= kSteppedRunLines) {
        interp_.PlotToCursor(lines, pump);
    } else {
        // A long run is plotted as "Plot" plots, over the lines up to the
        // caret's: drawn segment by segment with the editor following each
        // line, 200,000 lines took minutes. The canvas and the editor are
        // shown as a long plot shows its progress.
        const std::size_t end = last + 1 < e->LineCount() ? static_cast<std::size_t>(e->PosOfLine(last + 1)) : bytes.size();
        tolva::ByteLines upTo(std::string_view(bytes).substr(0, end));
        upTo.MainEditor = true;
        interp_.MainLineCount = e->LineCount();
        cursorRun_ = true;
        sinceRepaint_.restart();
        const bool finished = interp_.PlotAll(upTo, false, true, 0, 0, pump_) == tolva::Interpreter::PlotEnd::Finished;
        cursorRun_ = false;
        if (finished) state_.CurLine = std::min(last, e->LineCount() - 1);
        followLine_ = state_.CurLine;
    }
    plotting_ = false;
    if (followLine_ >= 0) moveEditorTo(followLine_);
    marker_ = canvas_.PenPosition();
    markedPixels_.clear();
    Image1->update();
    if (pending_) {
        const Request next = *pending_;
        pending_.reset();
        PlotAll(next.editor, next.setOrigin, next.clear, next.y, next.x);
    }
}

void TForm2::Image1MouseDown(Qt::MouseButton button, int x, int y, Qt::KeyboardModifiers mods) {
    if (!drawing_.Active() && !zoomBox_ &&
        (button == Qt::MiddleButton || (button == Qt::LeftButton && (mods & Qt::ControlModifier)))) {
        panDrag_ = true;
        panStart_ = QPoint(x, y);
        return;
    }
    // A press is first a move to its point: the values a drawing takes are
    // those of the pressed point even when no move reported it.
    if (drawing_.Active()) drawingMove(x, y);
    pressX_ = curX_ = x;
    pressY_ = curY_ = y;
    ++drawing_.Clicks;
    if (drawing_.Active()) {
        if (drawing_.Mode == tolva::DrawMode::Line) {
            DrawALineClick();
        } else if (button == Qt::LeftButton && drawing_.Clicks >= 2) {
            drawingMove(x, y);  // the second press completes an arc or circle
        }
        if (button == Qt::RightButton) StopDrawing();
        Image1->update();
        return;
    }
    if (zoomBox_) {
        zoomDrag_ = true;
    } else if (button == Qt::LeftButton) {
        const int line = (mods & Qt::ShiftModifier) ? -1 : lineMap_.Nearest(x, y, kPickRadius);
        if (line >= 0)
            selectLine(line);
        else
            PlotAll(mainEditor(), true, true, y, x);
    } else if (button == Qt::RightButton) {
        Timer1->start();
    }
    if (button == Qt::RightButton) StopDrawing();
}

void TForm2::Image1MouseMove(int x, int y) {
    const long double k = state_.ViewScale;
    auto readout = [this](long double v) {
        std::string t = tolva::FixedText(v, state_.DecimalPlaces, 7);
        if (t.size() > 10) t.resize(10);
        return QString::fromStdString(t);
    };
    Label1->setText(readout((x - state_.OriginX) / k * state_.YSign));
    Label2->setText(readout((y - state_.OriginY) / k * state_.XSign));
    if (panDrag_) {
        Image1->DragOffset = QPoint(x, y) - panStart_;
        Image1->update();
        return;
    }
    if (drawing_.Active()) {
        drawingMove(x, y);
        return;
    }
    if (zoomDrag_) {
        canvas_.InvertRect(pressX_, pressY_, curX_, curY_);  // erase the old box
        curX_ = x;
        curY_ = y;
        canvas_.InvertRect(pressX_, pressY_, curX_, curY_);
        Image1->update();
    }
}

void TForm2::Image1MouseUp(Qt::MouseButton, int x, int y) {
    Timer1->stop();
    if (panDrag_) {
        panDrag_ = false;
        Image1->DragOffset = {};
        state_.OriginX += x - panStart_.x();
        state_.OriginY += y - panStart_.y();
        Redraw();
        return;
    }
    if (!zoomDrag_) return;
    tolva::Projection& v = interp_.View();
    v.PreviousOriginX = state_.OriginX;
    v.PreviousOriginY = state_.OriginY;
    v.PreviousScaleValue = SpinEdit1->value();
    const int hw = (curX_ - pressX_) / 2;
    const int hh = (pressY_ - curY_) / 2;
    const int clientW = ScrollBox1->viewport()->width();
    const int clientH = ScrollBox1->viewport()->height();
    const int scrollX = ScrollBox1->horizontalScrollBar()->value();
    const int scrollY = ScrollBox1->verticalScrollBar()->value();
    // The box centre moves to the view centre. The canvas coordinates start at
    // the scroll box's content, so no toolbar allowance enters.
    state_.OriginX -= curX_ - hw - (clientW / 2 + scrollX);
    state_.OriginY += clientH - clientH / 2 + scrollY - y - hh;
    canvas_.InvertRect(pressX_, pressY_, curX_, curY_);
    Image1->update();
    const int boxH = std::abs(curY_ - pressY_);
    long double f = boxH == 0 ? 1.0L : static_cast<long double>(clientH) / boxH;
    if (f > 10.0L) f = 10.0L;
    const long long scaled = tolva::RoundHalfEven(SpinEdit1->value() * f);
    zoomDrag_ = false;
    zoomBox_ = false;
    SpinEdit1->setValue(static_cast<int>(std::clamp<long long>(scaled, 1, 999999)));
    restartRedraw();  // also when the scale stays (a flat box only recentres)
}

bool TForm2::FormKeyDown(int key, Qt::KeyboardModifiers mods) {
    if (key == Qt::Key_Escape) {
        state_.AbortPlot = true;
        return false;
    }
    if (!(mods & Qt::ShiftModifier)) return false;
    if (key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta)
        return false;
    switch (key) {
        case Qt::Key_Left: state_.OriginX -= 100; break;
        case Qt::Key_Up: state_.OriginY -= 100; break;
        case Qt::Key_Right: state_.OriginX += 100; break;
        case Qt::Key_Down: state_.OriginY += 100; break;
        default: break;
    }
    state_.OriginX = std::clamp(state_.OriginX, -30000, 30000);
    state_.OriginY = std::clamp(state_.OriginY, -30000, 30000);
    Redraw();
    return true;
}

bool TForm2::eventFilter(QObject* obj, QEvent* e) {
    if (e->type() != QEvent::KeyPress) return false;
    auto* k = static_cast<QKeyEvent*>(e);
    // Esc stops a running plot or single-stepping wherever the focus is.
    if ((plotting_ || Timer1->isActive()) && k->key() == Qt::Key_Escape) {
        state_.AbortPlot = true;
        Timer1->stop();
        return true;
    }
    auto* w = qobject_cast<QWidget*>(obj);
    if (!w || w->window() != this) return false;
    return FormKeyDown(k->key(), k->modifiers());
}

void TForm2::changeEvent(QEvent* e) {
    // Activation leaves the view where it is: scrolling it then moved the
    // drawing under the user's first click.
    QMainWindow::changeEvent(e);
}

// ------------------------------------------------------------ navigation

void TForm2::takePlace(const tolva::ViewPlace& to) {
    state_.OriginX = to.OriginX;
    state_.OriginY = to.OriginY;
    // The origin is already where the new scale wants it.
    if (to.ScaleValue != SpinEdit1->value()) interp_.View().PreviousRestored = true;
    SpinEdit1->setValue(to.ScaleValue);
}

void TForm2::WheelZoom(int steps, int x, int y) {
    if (drawing_.Active() || zoomDrag_) return;
    const tolva::ViewPlace now{state_.OriginX, state_.OriginY, SpinEdit1->value()};
    takePlace(tolva::ZoomAbout(now, tolva::WheelScale(now.ScaleValue, steps), x, y));
    restartRedraw();
}

tolva::ViewPlace TForm2::fitPlace() {
    const int sx = ScrollBox1->horizontalScrollBar()->value(), sy = ScrollBox1->verticalScrollBar()->value();
    // The part of the canvas the scroll box shows.
    const QRect shown = QRect(sx, sy, ScrollBox1->viewport()->width(), ScrollBox1->viewport()->height())
                            .intersected(QRect(QPoint(0, 0), canvas_.Image().size()));
    const tolva::ViewPlace now{state_.OriginX, state_.OriginY, SpinEdit1->value()};
    return tolva::FitView(now, state_.MinX, state_.MaxX, state_.MinY, state_.MaxY,
                          {shown.x(), shown.y(), shown.width(), shown.height()}, 20);
}

void TForm2::FitClick() {
    if (plotting_) return;
    // The extents must be those of the program as it is, at the scale shown.
    Redraw();
    FitLastPlot();
}

void TForm2::FitLastPlot() {
    if (plotting_) return;
    takePlace(fitPlace());
    Redraw();
}

// ------------------------------------------------------- path and editor

void TForm2::selectLine(int line) {
    ProgramEditor* e = mainEditor();
    if (!e || line < 0 || line >= e->LineCount()) return;
    const int start = e->PosOfLine(line);
    const int end = static_cast<int>(e->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, line));
    e->SendScintilla(QsciScintillaBase::SCI_SETSEL, start, end);
    e->ensureLineVisible(line);
    if (MainWindowAccess) MainWindowAccess->MainCaretMoved();
    MarkLine(line);
}

void TForm2::MarkLine(int line) {
    // Not while a run moves the caret line by line: the marks are set when
    // it ends.
    if (plotting_ || line == markedLine_) return;
    markedLine_ = line;
    refreshMarks();
}

void TForm2::refreshMarks() {
    marker_ = markedLine_ >= 0 ? lineMap_.ToolAfter(markedLine_) : std::nullopt;
    markedPixels_ = lineMap_.PixelsOf(markedLine_);
    Image1->update();
}

void TForm2::paintMarks(QPainter& p) {
    p.save();
    p.translate(Image1->DragOffset);
    if (!markedPixels_.empty()) {
        p.setPen(QPen(QColor(255, 140, 0), 3, Qt::SolidLine, Qt::RoundCap));
        QList<QPoint> points;
        points.reserve(static_cast<qsizetype>(markedPixels_.size()));
        for (const tolva::Pixel& q : markedPixels_) points.append(QPoint(q.x, q.y));
        p.drawPoints(points.constData(), static_cast<int>(points.size()));
    }
    if (marker_) {
        const QPoint c(marker_->x, marker_->y);
        p.setPen(QPen(QColor(0, 160, 0), 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 6, 6);
        p.drawLine(c - QPoint(10, 0), c + QPoint(10, 0));
        p.drawLine(c - QPoint(0, 10), c + QPoint(0, 10));
    }
    p.restore();
}

int TForm2::CanvasWidth() const { return Image1->width(); }
