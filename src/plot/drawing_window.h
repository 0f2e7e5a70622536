// The vector read-out window `TForm4` ("Drawing"): a small window kept above
// the others that shows the figures of the element being drawn in the plot
// window (plot/drawing.h). Created at start and kept for the life of the
// program.
#pragma once

#include "base/shell_window_qt.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tolva {
struct ReadOutTexts;
}

class TForm4;
inline TForm4* Form4 = nullptr;

class TForm4 : public ShellWindow {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    ~TForm4() override;

    // Captions of the eight fields, top to bottom.
    QLabel* Label1;   // "Vector"
    QLabel* Label2;   // "Radius"
    QLabel* Label3;   // "X I inc"
    QLabel* Label4;   // "Y J inc"
    QLabel* Label5;   // "End X"
    QLabel* Label6;   // "End Y"
    QLabel* Label7;   // "Abs X"
    QLabel* Label8;   // "Abs Y"
    QLineEdit* Edit1;  // vector angle, degrees
    QLineEdit* Edit2;  // radius
    QLineEdit* Edit3;  // X increment
    QLineEdit* Edit4;  // Y increment
    QLineEdit* Edit5;  // end X
    QLineEdit* Edit6;  // end Y
    QLineEdit* Edit7;  // absolute X (red)
    QLineEdit* Edit8;  // absolute Y (green)
    QLabel* Label12;   // ">" more than half a turn, "<" less, "=" at start
    QPushButton* DrawButton;  // hidden: appends the cursor line in line mode

    void Show(const tolva::ReadOutTexts& t, const std::string& indicator);

protected:
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    // Drawing reads the view flat: the plot window's view angles go to 0.
    void flattenPlot();
};
