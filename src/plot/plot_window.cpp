#include "plot/plot_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

TForm2* Form2 = nullptr;

TForm2::TForm2(QWidget* parent) : QMainWindow(parent) {
    Form2 = this;
    setObjectName("Form2");
    setWindowTitle("Plot ");
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* panel = new QWidget(central);
    panel->setObjectName("Panel1");
    auto* bar = new QHBoxLayout(panel);
    bar->setContentsMargins(2, 2, 2, 2);

    SpinEdit1 = new QSpinBox(panel);
    SpinEdit1->setObjectName("SpinEdit1");
    SpinEdit1->setRange(1, 999999);
    SpinEdit1->setSingleStep(10);
    SpinEdit1->setValue(1000);
    SpinEdit1->setToolTip("Change view scale");
    bar->addWidget(new QLabel("View Scale", panel));
    bar->addWidget(SpinEdit1);

    FlatButton = new QPushButton("Flat", panel);
    FlatButton->setObjectName("FlatButton");
    SpinButton = new QPushButton("Spin", panel);
    SpinButton->setObjectName("SpinButton");
    FlipButton = new QPushButton("Flip", panel);
    FlipButton->setObjectName("FlipButton");
    FlopButton = new QPushButton("Flop", panel);
    FlopButton->setObjectName("FlopButton");
    for (auto* b : {FlatButton, SpinButton, FlipButton, FlopButton}) bar->addWidget(b);
    // The modifiers arrive with their own step.
    for (auto* b : {SpinButton, FlipButton, FlopButton}) b->setEnabled(false);

    CutSpeedEdit = new QLineEdit("1.00", panel);
    CutSpeedEdit->setObjectName("F2Edit1");
    RapidSpeedEdit = new QLineEdit("2.00", panel);
    RapidSpeedEdit->setObjectName("F2Edit2");
    bar->addWidget(new QLabel("Cut Speed", panel));
    bar->addWidget(CutSpeedEdit);
    bar->addWidget(new QLabel("Rapid Speed", panel));
    bar->addWidget(RapidSpeedEdit);
    bar->addStretch(1);

    ScrollBox1 = new QScrollArea(central);
    ScrollBox1->setObjectName("ScrollBox1");
    Image1 = new QLabel;
    Image1->setObjectName("Image1");
    Image1->setMinimumSize(600, 500);
    Image1->setStyleSheet("background: white");
    ScrollBox1->setWidget(Image1);
    ScrollBox1->setWidgetResizable(true);
    layout->addWidget(panel);
    layout->addWidget(ScrollBox1, 1);
    setCentralWidget(central);
    resize(800, 600);
    connect(FlatButton, &QPushButton::clicked, this, &TForm2::FlatClick);
}

int TForm2::CanvasWidth() const { return Image1->width(); }

void TForm2::EnableSpinFlipFlop() {
    // Stays disabled until the modifiers exist; the call is the seam they use.
}

void TForm2::FlatClick() {}
