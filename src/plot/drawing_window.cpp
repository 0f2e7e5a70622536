#include "plot/drawing_window.h"

#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

#include "plot/drawing.h"
#include "plot/plot_window.h"

TForm4::TForm4(QWidget* parent) : ShellWindow("Form4", "Drawing", parent) {
    Form4 = this;
    setWindowFlags(windowFlags() | Qt::Tool | Qt::WindowStaysOnTopHint);
    auto* grid = new QGridLayout(centralWidget());
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setVerticalSpacing(2);
    const char* captions[] = {"Vector", "Radius", "X I inc", "Y J inc", "End X", "End Y", "Abs X", "Abs Y"};
    QLabel** labels[] = {&Label1, &Label2, &Label3, &Label4, &Label5, &Label6, &Label7, &Label8};
    QLineEdit** edits[] = {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5, &Edit6, &Edit7, &Edit8};
    for (int i = 0; i < 8; ++i) {
        *labels[i] = new QLabel(captions[i], centralWidget());
        (*labels[i])->setObjectName(QString("Label%1").arg(i + 1));
        *edits[i] = new QLineEdit("0.00", centralWidget());
        (*edits[i])->setObjectName(QString("Edit%1").arg(i + 1));
        (*edits[i])->setMaximumWidth(110);
        grid->addWidget(*labels[i], i, 0);
        grid->addWidget(*edits[i], i, 1);
    }
    Edit7->setStyleSheet("color: red");
    Edit8->setStyleSheet("color: green");
    Label12 = new QLabel("=", centralWidget());
    Label12->setObjectName("Label12");
    grid->addWidget(Label12, 8, 0, 1, 2, Qt::AlignHCenter);
    DrawButton = new QPushButton("Draw", centralWidget());
    DrawButton->setObjectName("DrawButton");
    DrawButton->hide();
    grid->addWidget(DrawButton, 9, 0, 1, 2);
    connect(DrawButton, &QPushButton::clicked, this, [] {
        if (Form2) Form2->DrawALineClick();
    });
    adjustSize();
    resize(200, sizeHint().height());
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect r = s->geometry();
        move(r.width() / 2 - width(), static_cast<int>(r.height() * 0.1) + 100);
    }
}

TForm4::~TForm4() {
    if (Form4 == this) Form4 = nullptr;
}

void TForm4::Show(const tolva::ReadOutTexts& t, const std::string& indicator) {
    const std::string* texts[] = {&t.Vector, &t.Radius, &t.XInc, &t.YInc, &t.EndX, &t.EndY, &t.AbsX, &t.AbsY};
    QLineEdit* edits[] = {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8};
    for (int i = 0; i < 8; ++i) edits[i]->setText(QString::fromStdString(*texts[i]));
    Label12->setText(QString::fromStdString(indicator));
}

void TForm4::flattenPlot() {
    if (!Form2) return;
    for (QScrollBar* b : {Form2->ScrollBar1, Form2->ScrollBar2, Form2->ScrollBar3}) b->setValue(0);
    // Also when a bar already stood at 0 while its angle was typed in.
    Form2->ScrollBar1Change();
    Form2->ScrollBar2Change();
    Form2->ScrollBar3Change();
}

void TForm4::changeEvent(QEvent* e) {
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) flattenPlot();
    ShellWindow::changeEvent(e);
}

void TForm4::showEvent(QShowEvent* e) {
    flattenPlot();
    ShellWindow::showEvent(e);
}
