// The plot window's modifier buttons: the slide keypad around the spin
// button, Flip, Flop and the size button "X", and the window side of SLIDE2.
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include "base/main_editor_qt.h"
#include "plot/modifiers.h"
#include "plot/plot_window.h"

namespace {

// Takes the field's value; a corrected value is shown in the field.
double fieldValue(QLineEdit* field) {
    const tolva::AmountField f = tolva::CorrectAmount(field->text().toStdString());
    if (!f.shown.empty()) field->setText(QString::fromStdString(f.shown));
    return f.value;
}

}  // namespace

void TForm2::buildModifiers(QGridLayout* grid, int& column) {
    auto* pad = new QWidget(Panel1);
    pad->setObjectName("SlidePad");
    auto* keys = new QGridLayout(pad);
    keys->setContentsMargins(0, 0, 0, 0);
    keys->setSpacing(0);
    struct Key {
        QPushButton** button;
        const char* name;
        const char* glyph;
        char mode;
        int row, col;
    };
    const Key pad3x3[] = {
        {&SpeedButton5, "SpeedButton5", "\u2196", tolva::Modifier::UpLeft, 0, 0},
        {&SpeedButton2, "SpeedButton2", "\u2191", tolva::Modifier::Up, 0, 1},
        {&SpeedButton3, "SpeedButton3", "\u2197", tolva::Modifier::UpRight, 0, 2},
        {&SpeedButton7, "SpeedButton7", "\u2190", tolva::Modifier::Left, 1, 0},
        {&SpeedButton9, "SpeedButton9", "\u21BB", tolva::Modifier::Spin, 1, 1},
        {&SpeedButton6, "SpeedButton6", "\u2192", tolva::Modifier::Right, 1, 2},
        {&SpeedButton8, "SpeedButton8", "\u2199", tolva::Modifier::DownLeft, 2, 0},
        {&SpeedButton1, "SpeedButton1", "\u2193", tolva::Modifier::Down, 2, 1},
        {&SpeedButton4, "SpeedButton4", "\u2198", tolva::Modifier::DownRight, 2, 2},
    };
    for (const Key& k : pad3x3) {
        auto* b = new QPushButton(QString::fromUtf8(k.glyph), pad);
        b->setObjectName(k.name);
        b->setFixedSize(22, 18);
        const char mode = k.mode;
        connect(b, &QPushButton::clicked, this, [this, mode] { SLIDE2(mode); });
        keys->addWidget(b, k.row, k.col);
        *k.button = b;
    }
    SpeedButton9->setToolTip("Spin the part Inc Degrees  or just highlighted code about 0,0,0");

    FlipButton = new QPushButton("Flip", Panel1);
    FlipButton->setObjectName("FlipButton");
    FlipButton->setToolTip("Turn the part over left right");
    FlopButton = new QPushButton("Flop", Panel1);
    FlopButton->setObjectName("FlopButton");
    FlopButton->setToolTip("Turn the part over up down");
    SpeedButton12 = new QPushButton("X", Panel1);
    SpeedButton12->setObjectName("SpeedButton12");
    SpeedButton12->setToolTip("Change the part size. Or just highlighted code.");
    connect(FlipButton, &QPushButton::clicked, this, [this] { SLIDE2(tolva::Modifier::Flip); });
    connect(FlopButton, &QPushButton::clicked, this, [this] { SLIDE2(tolva::Modifier::Flop); });
    connect(SpeedButton12, &QPushButton::clicked, this, [this] { SLIDE2(tolva::Modifier::Size); });
    SlideEdit1->setToolTip("Move the program by this amount or Rotate Degrees + or -");
    X_Edit1->setToolTip("Size factor to multiply the program by");

    grid->addWidget(pad, 0, column, 3, 1);
    ++column;
    grid->addWidget(FlipButton, 0, column);
    grid->addWidget(FlopButton, 1, column);
    grid->addWidget(SpeedButton12, 2, column++);
    grid->addWidget(SlideEdit1, 0, column);
    grid->addWidget(X_Edit1, 1, column++);
}

void TForm2::SLIDE2(char mode) {
    if (!settings_ || !MainWindowAccess) return;
    // Both fields are read, and corrected where they must be, as any
    // modifier button is pressed.
    const double amount = fieldValue(SlideEdit1);
    const double factor = fieldValue(X_Edit1);
    MainWindowAccess->RunModifier(mode, mode == tolva::Modifier::Size ? factor : amount);
}
