// The plot window. Until the backplot lands it holds the controls other
// windows already read or drive: the view scale, the speed fields, the
// modifier buttons and the canvas area whose width sets the scale.
#pragma once

#include <QMainWindow>

class QLineEdit;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QLabel;

class TForm2 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    QSpinBox* SpinEdit1;      // view scale, 1..999999; ViewScale = value / 1000
    QLineEdit* CutSpeedEdit;  // "Cut Speed", units per minute
    QLineEdit* RapidSpeedEdit;
    QScrollArea* ScrollBox1;
    QLabel* Image1;
    QPushButton* FlatButton;
    QPushButton* SpinButton;
    QPushButton* FlipButton;
    QPushButton* FlopButton;

    // Width in pixels of the canvas the program is drawn on.
    int CanvasWidth() const;
    void EnableSpinFlipFlop();
    void FlatClick();
};

extern TForm2* Form2;
