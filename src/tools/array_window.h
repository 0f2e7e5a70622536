// Window "Array" (`TForm9`): the quantities and increments of a column, a
// row or a grid of copies of the program, the buttons that make them, and
// Suggest Increments, Undo Nest and Re Scale. Created at start and kept for
// the life of the program; the arrays themselves are the core of
// tools/array.h. While the window is shown the plot window's slide keypad,
// spin, flip, flop and size buttons are hidden, and a slide appends moved
// copies (the plot window looks for a visible "Form9").
#pragma once

#include <functional>
#include <memory>

#include "base/host.h"
#include "base/shell_window_qt.h"
#include "tools/array.h"

class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;
namespace tolva {
class MachineSettings;
}

class TForm9;
inline TForm9* Form9 = nullptr;

class TForm9 : public ShellWindow {
    Q_OBJECT
public:
    // Reads the settings through `settings` at the moment of use (null:
    // default letters, no codes, every setting off).
    explicit TForm9(tolva::MachineSettings* settings = nullptr, QWidget* parent = nullptr);
    ~TForm9() override;
    void SetHost(std::unique_ptr<tolva::Host> host) { host_ = std::move(host); }

    QSpinBox* QtyEdit1;         // vertical quantity 1..999
    QLineEdit* IncrementEdit1;  // vertical increment, program units
    QSpinBox* HorizQtyEdit1;    // horizontal quantity 1..999
    QLineEdit* HorizontalEdit1; // horizontal increment
    QLineEdit* ClearanceEdit1;  // added to the suggested increments

    QPushButton* SpeedButton2;  // column up
    QPushButton* SpeedButton1;  // column down
    QPushButton* SpeedButton6;  // row right
    QPushButton* SpeedButton7;  // row left
    QPushButton* SpeedButton3;  // grid up right
    QPushButton* SpeedButton4;  // grid down right
    QPushButton* SpeedButton8;  // grid down left
    QPushButton* SpeedButton5;  // grid up left
    QPushButton* SpeedButton12; // compress
    QPushButton* SuggestButton;
    QPushButton* UndoNestButton;
    QPushButton* ReScaleButton;
    // The spin buttons beside the increments (step 1) and the clearance (0.1).
    QToolButton* IncrementUp;
    QToolButton* IncrementDown;
    QToolButton* HorizontalUp;
    QToolButton* HorizontalDown;
    QToolButton* ClearanceUp;
    QToolButton* ClearanceDown;

    // Set by the main window: the program's X and Y sizes from the
    // extents-only scale pass, and the full rescale of the view.
    std::function<void(double& xSize, double& ySize)> MeasureProgram;
    std::function<void()> ReScale;

    // `steps` in order over the whole program, as one undoable edit, then
    // the File End rule and a redraw (tools/array.h). The increment fields
    // show their values with 3 decimals afterwards.
    void ArrayClick(const tolva::ArraySteps& steps);
    void SuggestIncrementsClick();
    void UndoNestClick();
    void ReScaleClick();
    void CompressClick();
    // The buttons' steps, read from the fields (a field that is not a
    // number counts 1).
    tolva::ArrayStep ColumnStep(char mode);
    tolva::ArrayStep RowStep(char mode);
    bool CanUndoNest() const { return undo_.armed; }

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void showPlotModifiers(bool show);

    tolva::MachineSettings* settings_;
    std::unique_ptr<tolva::Host> host_;
    tolva::ArrayUndo undo_;
};
