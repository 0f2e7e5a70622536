#include "tools/array_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>

#include "base/main_editor_qt.h"
#include "base/qt_host_qt.h"
#include "plot/plot_window.h"
#include "settings/machine_settings.h"
#include "text/compress.h"

namespace {

QString fieldText(double v) { return QString::fromStdString(tolva::ArrayFieldText(v)); }

double fieldValue(const QLineEdit* field, double fallback) {
    return tolva::ArrayFieldValue(field->text().toStdString(), fallback);
}

QLineEdit* numberField(const char* name, const char* text, QWidget* parent) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    e->setMaximumWidth(90);
    return e;
}

QSpinBox* quantityField(const char* name, const char* hint, QWidget* parent) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setRange(1, 999);
    s->setValue(1);
    s->setToolTip(hint);
    return s;
}

}  // namespace

TForm9::TForm9(tolva::MachineSettings* settings, QWidget* parent)
    : ShellWindow("Form9", "Array", parent), settings_(settings), host_(std::make_unique<QtHost>(this)) {
    Form9 = this;
    setWindowFlag(Qt::WindowStaysOnTopHint);
    QWidget* central = centralWidget();
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 6);

    // Quantity, increment and its spin buttons, per direction.
    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel("Qty", central), 0, 1);
    fields->addWidget(new QLabel("Increment", central), 0, 2);
    QtyEdit1 = quantityField("QtyEdit1", "Vertical quantity", central);
    HorizQtyEdit1 = quantityField("HorizQtyEdit1", "Horizontal Quantity", central);
    IncrementEdit1 = numberField("IncrementEdit1", "1.000", central);
    HorizontalEdit1 = numberField("HorizontalEdit1", "1.000", central);
    ClearanceEdit1 = numberField("ClearanceEdit1", "0.200", central);
    ClearanceEdit1->setToolTip("Added to suggested values which are Max values from the plot screen");

    // A field's pair of spin buttons: read (fallback when not a number),
    // add or subtract the step, write back with 3 decimals.
    auto spin = [&](QLineEdit* field, const char* name, double step, double fallback, QToolButton*& up,
                    QToolButton*& down) {
        auto* box = new QWidget(central);
        box->setObjectName(name);
        auto* v = new QVBoxLayout(box);
        v->setContentsMargins(0, 0, 0, 0);
        v->setSpacing(0);
        up = new QToolButton(box);
        up->setArrowType(Qt::UpArrow);
        down = new QToolButton(box);
        down->setArrowType(Qt::DownArrow);
        for (QToolButton* b : {up, down}) {
            b->setFixedSize(16, 11);
            v->addWidget(b);
        }
        connect(up, &QToolButton::clicked, this,
                [field, step, fallback] { field->setText(fieldText(fieldValue(field, fallback) + step)); });
        connect(down, &QToolButton::clicked, this,
                [field, step, fallback] { field->setText(fieldText(fieldValue(field, fallback) - step)); });
        return box;
    };
    fields->addWidget(new QLabel("Vertical", central), 1, 0);
    fields->addWidget(QtyEdit1, 1, 1);
    fields->addWidget(IncrementEdit1, 1, 2);
    fields->addWidget(spin(IncrementEdit1, "UpDown1", 1.0, 1.0, IncrementUp, IncrementDown), 1, 3);
    fields->addWidget(new QLabel("Horizontal", central), 2, 0);
    fields->addWidget(HorizQtyEdit1, 2, 1);
    fields->addWidget(HorizontalEdit1, 2, 2);
    fields->addWidget(spin(HorizontalEdit1, "UpDown2", 1.0, 1.0, HorizontalUp, HorizontalDown), 2, 3);
    fields->addWidget(new QLabel("Clearance", central), 3, 0);
    fields->addWidget(ClearanceEdit1, 3, 2);
    fields->addWidget(spin(ClearanceEdit1, "UpDown3", 0.1, 0.2, ClearanceUp, ClearanceDown), 3, 3);
    layout->addLayout(fields);

    // The keypad: columns in the middle, rows at the sides, grids at the
    // corners, compress at the centre.
    auto* pad = new QGridLayout;
    pad->setSpacing(2);
    struct Key {
        QPushButton** button;
        const char* name;
        const char* glyph;
        const char* hint;
        int row, col;
    };
    const Key keys[] = {
        {&SpeedButton5, "SpeedButton5", "\u2196", "Grid up left", 0, 0},
        {&SpeedButton2, "SpeedButton2", "\u2191", "Array column up", 0, 1},
        {&SpeedButton3, "SpeedButton3", "\u2197", "Grid up right", 0, 2},
        {&SpeedButton7, "SpeedButton7", "\u2190", "Array row left", 1, 0},
        {&SpeedButton12, "SpeedButton12", "Cmp", "Compress Remove all blanks and duplicates", 1, 1},
        {&SpeedButton6, "SpeedButton6", "\u2192", "Array row right", 1, 2},
        {&SpeedButton8, "SpeedButton8", "\u2199", "Grid down left", 2, 0},
        {&SpeedButton1, "SpeedButton1", "\u2193", "Array column down", 2, 1},
        {&SpeedButton4, "SpeedButton4", "\u2198", "Grid down right", 2, 2},
    };
    for (const Key& k : keys) {
        auto* b = new QPushButton(QString::fromUtf8(k.glyph), central);
        b->setObjectName(k.name);
        b->setToolTip(k.hint);
        b->setFixedSize(40, 30);
        pad->addWidget(b, k.row, k.col);
        *k.button = b;
    }
    using tolva::Modifier::Down, tolva::Modifier::Up, tolva::Modifier::Left, tolva::Modifier::Right;
    auto column = [this](char mode) { return [this, mode] { ArrayClick({ColumnStep(mode)}); }; };
    auto row = [this](char mode) { return [this, mode] { ArrayClick({RowStep(mode)}); }; };
    auto grid = [this](char up, char side) {
        return [this, up, side] { ArrayClick({ColumnStep(up), RowStep(side)}); };
    };
    connect(SpeedButton2, &QPushButton::clicked, this, column(Up));
    connect(SpeedButton1, &QPushButton::clicked, this, column(Down));
    connect(SpeedButton6, &QPushButton::clicked, this, row(Right));
    connect(SpeedButton7, &QPushButton::clicked, this, row(Left));
    connect(SpeedButton3, &QPushButton::clicked, this, grid(Up, Right));
    connect(SpeedButton4, &QPushButton::clicked, this, grid(Down, Right));
    connect(SpeedButton8, &QPushButton::clicked, this, grid(Down, Left));
    connect(SpeedButton5, &QPushButton::clicked, this, grid(Up, Left));
    connect(SpeedButton12, &QPushButton::clicked, this, [this] { CompressClick(); });

    auto* buttons = new QVBoxLayout;
    SuggestButton = new QPushButton("Suggest  Increments", central);
    SuggestButton->setObjectName("SuggestButton");
    SuggestButton->setToolTip("Largest X Y - Smallest X Y + Clearance.     Arcs ignored");
    UndoNestButton = new QPushButton("Undo Nest", central);
    UndoNestButton->setObjectName("UndoNestButton");
    UndoNestButton->setToolTip("Undo the last nesting operation");
    ReScaleButton = new QPushButton("Re Scale", central);
    ReScaleButton->setObjectName("ReScaleButton");
    ReScaleButton->setToolTip("Calculate a new Display scale");
    for (QPushButton* b : {SuggestButton, UndoNestButton, ReScaleButton}) buttons->addWidget(b);
    connect(SuggestButton, &QPushButton::clicked, this, [this] { SuggestIncrementsClick(); });
    connect(UndoNestButton, &QPushButton::clicked, this, [this] { UndoNestClick(); });
    connect(ReScaleButton, &QPushButton::clicked, this, [this] { ReScaleClick(); });

    auto* lower = new QHBoxLayout;
    lower->addLayout(pad);
    lower->addSpacing(12);
    lower->addLayout(buttons);
    lower->addStretch(1);
    layout->addLayout(lower);
    layout->addStretch(1);
    resize(330, 250);
}

TForm9::~TForm9() {
    if (Form9 == this) Form9 = nullptr;
}

tolva::ArrayStep TForm9::ColumnStep(char mode) {
    return {mode, QtyEdit1->value(), fieldValue(IncrementEdit1, 1.0)};
}

tolva::ArrayStep TForm9::RowStep(char mode) {
    return {mode, HorizQtyEdit1->value(), fieldValue(HorizontalEdit1, 1.0)};
}

void TForm9::ArrayClick(const tolva::ArraySteps& steps) {
    // The fields show what was used, a word that is not a number as 1.000.
    for (const tolva::ArrayStep& s : steps) {
        const bool vertical = s.mode == tolva::Modifier::Up || s.mode == tolva::Modifier::Down;
        (vertical ? IncrementEdit1 : HorizontalEdit1)->setText(fieldText(s.increment));
    }
    if (!MainWindowAccess) return;
    const tolva::AxisCodes codes = settings_ ? settings_->Setaxis() : tolva::AxisCodes{};
    const tolva::ModifierSettings s = settings_ ? tolva::ReadModifierSettings(*settings_) : tolva::ModifierSettings{};
    if (Form2) {
        tolva::PlotState& st = Form2->State();
        st.XSign = codes.xSign;
        st.YSign = codes.ySign;
        st.ZSign = codes.zSign;
        st.DecimalPlaces = s.decimals;
    }
    MainWindowAccess->EditProgram([&](std::vector<std::string>& lines, tolva::Host& host) {
        tolva::ArrayResult r = tolva::ArrayProgram(lines, codes, s, steps, host);
        if (r.refused) return false;
        undo_ = std::move(r.undo);
        return r.changed;
    });
}

void TForm9::SuggestIncrementsClick() {
    double x = 0, y = 0;
    if (MeasureProgram) MeasureProgram(x, y);
    const tolva::SuggestedIncrements s = tolva::SuggestIncrements(x, y, ClearanceEdit1->text().toStdString());
    IncrementEdit1->setText(QString::fromStdString(s.vertical));
    HorizontalEdit1->setText(QString::fromStdString(s.horizontal));
}

void TForm9::UndoNestClick() {
    if (!undo_.armed || !MainWindowAccess) return;
    bool undone = false;
    MainWindowAccess->EditProgram([&](std::vector<std::string>& lines, tolva::Host&) {
        undone = tolva::UndoNest(lines, undo_, *host_) == tolva::UndoNestOutcome::Undone;
        return undone;
    });
    if (undone) ReScaleClick();
}

void TForm9::ReScaleClick() {
    if (ReScale) ReScale();
}

void TForm9::CompressClick() {
    if (!MainWindowAccess) return;
    const tolva::AxisCodes codes = settings_ ? settings_->Setaxis() : tolva::AxisCodes{};
    std::optional<tolva::CompressPlotLink> link;
    if (Form2) link.emplace(tolva::CompressPlotLink{Form2->State().AbsMode, Form2->State().CurLine});
    MainWindowAccess->EditProgram([&](std::vector<std::string>& lines, tolva::Host& host) {
        const tolva::CompressResult r = tolva::CompressProgram(0, lines, codes, host, link ? &*link : nullptr);
        return r.ok && r.changed;
    });
}

void TForm9::showPlotModifiers(bool show) {
    if (!Form2) return;
    for (QWidget* b : {Form2->SpeedButton1, Form2->SpeedButton2, Form2->SpeedButton3, Form2->SpeedButton4,
                       Form2->SpeedButton5, Form2->SpeedButton6, Form2->SpeedButton7, Form2->SpeedButton8,
                       Form2->SpeedButton9, Form2->FlipButton, Form2->FlopButton, Form2->SpeedButton12})
        b->setVisible(show);
}

void TForm9::showEvent(QShowEvent* e) {
    ShellWindow::showEvent(e);
    showPlotModifiers(false);
}

void TForm9::hideEvent(QHideEvent* e) {
    ShellWindow::hideEvent(e);
    showPlotModifiers(true);
}
