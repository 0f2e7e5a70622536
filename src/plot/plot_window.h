// The plot window `TForm2` ("Plot "): the canvas in a scroll box, the toolbar
// with the view controls and totals, and the menus Window, Draw, Grid, Pan
// and Print. It drives the core interpreter (plot/interpreter.h) and shows
// what it draws; every redraw re-reads the whole program.
//
// Pixels of the canvas: x across, y down. With the view angles at 0 the
// program's X runs down the screen and Y across.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/qt_host_qt.h"
#include "plot/drawing.h"
#include "plot/image_canvas_qt.h"
#include "plot/interpreter.h"
#include "plot/line_map.h"
#include "plot/view_navigation.h"
#include "plot/plot_state.h"

class ProgramEditor;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPainter;
class QPrinter;
class QPushButton;
class QScrollArea;
class QScrollBar;
class QSpinBox;
class QTimer;
class QToolButton;

namespace tolva {
class MachineSettings;
}

class TForm2 : public QMainWindow, private tolva::PlotView {
    Q_OBJECT
public:
    // Reads the settings through `settings` at the moment of use.
    explicit TForm2(tolva::MachineSettings& settings, QWidget* parent = nullptr);
    // Without settings: default letters, empty codes, every setting off.
    // Kept until every caller passes the settings.
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;
    void SetSettings(tolva::MachineSettings* settings);

    // ---- Toolbar (Panel1).
    QWidget* Panel1;
    QSpinBox* SpinEdit1;       // view scale 1..999999; ViewScale = value / 1000
    QSpinBox* SpinEdit3;       // rotation about Y, degrees
    QSpinBox* SpinEdit4;       // rotation about X
    QSpinBox* ZAxisSpinEdit;   // rotation about Z
    QScrollBar* ScrollBar1;    // coarse angles, in steps of "Inc Angle"
    QScrollBar* ScrollBar2;
    QScrollBar* ScrollBar3;
    QLineEdit* SlideEdit1;     // slide amount / spin degrees (modifiers)
    QLineEdit* X_Edit1;        // scale factor (modifiers)
    QLineEdit* CutSpeedEdit;   // objectName "F2Edit1": units per minute
    QLineEdit* RapidSpeedEdit; // objectName "F2Edit2"
    QLabel* Label1;            // cursor read-out: horizontal (program Y)
    QLabel* Label2;            // cursor read-out: vertical (program X)
    QLabel* Bigx;              // "Max " X extent
    QLabel* Bigy;
    QLabel* Area;
    QLabel* Label14;           // "Cut" heading
    QLabel* Label15;           // "Rapid"
    QLabel* Label16;           // "Total"
    QLabel* CutTimeLabel;      // the label under "Cut": "Time ..."
    QLabel* RapidTimeLabel;    // under "Rapid": " + ..."
    QLabel* TotalTimeLabel;    // under "Total": " = ..."
    QLabel* Label17;           // "Estimate"
    QLabel* EstTimeLabel;      // under "Estimate": "Est ..." with the machine's accelerations
    QPushButton* FlatButton;
    QPushButton* ZoomPlus;
    QPushButton* ZoomMinus;
    QPushButton* SpeedButton10;  // "Plot to Cursor"
    QPushButton* FitButton;      // the drawing fitted to the visible canvas
    // The modifiers (modifiers_window.cpp): the slide keypad SpeedButton1..8
    // around the spin button SpeedButton9, Flip, Flop and the size button.
    QPushButton* SpeedButton1;  // down
    QPushButton* SpeedButton2;  // up
    QPushButton* SpeedButton3;  // up right
    QPushButton* SpeedButton4;  // down right
    QPushButton* SpeedButton5;  // up left
    QPushButton* SpeedButton6;  // right
    QPushButton* SpeedButton7;  // left
    QPushButton* SpeedButton8;  // down left
    QPushButton* SpeedButton9;  // spin
    QPushButton* FlipButton;
    QPushButton* FlopButton;
    QPushButton* SpeedButton12; // "X": size
    QScrollArea* ScrollBox1;
    PlotImage* Image1;
    QTimer* Timer1;            // single-step clock (right button held)
    QTimer* Timer2;            // 200 ms delayed full redraw

    // ---- Menus.
    QAction* Zoom1;            // Window > Zoom (Ctrl+Shift+Z)
    QAction* Previous1;        // Window > Previous (Ctrl+L)
    QAction* Fit1;             // Window > Fit (Ctrl+0)
    QAction* ZoomIn1;          // Window > Zoom In (Ctrl++): Zoom +
    QAction* ZoomOut1;         // Window > Zoom Out (Ctrl+-): Zoom -

    // ---- Interactive drawing (drawing_window.cpp): the "Draw" menu.
    QMenu* Draw1;
    QAction* Line1;
    QAction* CwArc1;           // "Clockwise Arc"
    QAction* CcwArc1;          // "Counter Clockwise Arc"
    QAction* CwCircle1;        // "Clockwise Circle"
    QAction* CcwCircle1;       // "Counterclockwise Circle"
    QAction* CutOff1;          // captioned from label row 9 when the menu opens
    QAction* CutOn1;           // ... row 8
    // The menu opens: item captions and the read-out's letters.
    void Draw1Click();
    void LineClick();
    void ArcClick(bool ccw);
    void CircleClick(bool ccw);
    // Insert the cut-off (row 9) or cut-on (row 8) code before the last line.
    void CutOffClick();
    void CutOnClick();
    // Leaves any drawing mode, re-plotting when one was on.
    void StopDrawing();
    // The seven-line frame of a new program, then a re-plot.
    void FileHeader();
    // Line mode: appends the cursor line shown in the read-out.
    void DrawALineClick();
    const tolva::Drawing& DrawingState() const { return drawing_; }

    // ---- Plot printing (plot_print_qt.cpp): the "Print" menu and the page
    // notes, hidden on the canvas until "Enter Page Notes".
    QMenu* Print1;
    QAction* PageNotes1;       // "Enter Page Notes"
    QAction* PrintNotes1;      // "Print + Notes"
    QAction* FormPrint1;       // "Form Print"
    QLabel* Label6;            // "Matl Thk "
    QLabel* Label7;            // "Note: "
    QLabel* Label8;            // "Note: "
    QLabel* Label9;            // "Part # "
    QLineEdit* Edit1;
    QLineEdit* Edit2;          // bold
    QLineEdit* Edit4;
    QLineEdit* Edit3;          // bold
    void PageNotes1Click();
    void PrintNotes1Click();
    void FormPrint1Click();
    // The canvas stretched to the page with the information lines and the
    // page notes, on `printer`. False when the printer could not be opened
    // (the caller says so).
    bool PrintPlot(QPrinter& printer);
    // The printer the main window shares, or this window's own without one.
    QPrinter& Printer();

    // ---- The plot.
    tolva::PlotState& State() { return state_; }
    tolva::Interpreter& Interp() { return interp_; }
    tolva::ImageCanvas& Canvas() { return canvas_; }

    // Interprets every line of `editor` onto the canvas. With `setOrigin`,
    // program zero goes to pixel (x, y); with `clear`, a fresh plot. A call
    // made while a plot runs (from pending events) stops that plot and runs
    // afterwards. Pending events run every 1000 lines; Esc stops the plot.
    void PlotAll(ProgramEditor* editor, bool setOrigin, bool clear, int y, int x);
    // PlotAll of the main editor with clear, origin unchanged.
    void Redraw();
    bool Plotting() const { return plotting_; }
    int RedrawCount() const { return redraws_; }

    // Width in pixels of the canvas the program is drawn on.
    int CanvasWidth() const;
    void EnableSpinFlipFlop();
    // Runs the modifier `mode` (see plot/modifiers.h) on the main editor's
    // program or its highlighted block, with the slide amount and size factor
    // of the toolbar (corrected in their fields), and redraws.
    void SLIDE2(char mode);
    void FlatClick();

    // ---- Events (public so the other windows and tests can drive them).
    void SpinEdit1Change();
    void ViewAngleChange();
    void ScrollBar1Change();
    void ScrollBar2Change();
    void ScrollBar3Change();
    void Timer1Timer();
    void Timer2Timer();
    void ZoomPlusClick();
    void ZoomMinusClick();
    void PresetScale(int value);
    void ZoomClick();
    void PreviousClick();
    void PanClick(int dx, int dy);  // Pan menu: origin += (dx, dy)
    void SpeedButton10Click();
    // Navigation. The wheel zooms about the pixel under the cursor (`steps`
    // notches, positive in); Fit scales and centres the drawing in the
    // visible part of the canvas; the middle button, or the left one with
    // Ctrl, drags the view. Each leaves "View Scale" showing the scale.
    void WheelZoom(int steps, int x, int y);
    void FitClick();
    // The fit from the extents of the plot just made (no plot first).
    void FitLastPlot();
    // The next plot is followed by a fit (a program just opened).
    void FitOnNextPlot() { fitNext_ = true; }

    // The path and the editor. A left click within kPickRadius pixels of the
    // drawn path selects the line that drew it (Shift+left always sets
    // program zero, as a click beside the path does). MarkLine shows where
    // the tool stands after `line` and highlights what that line drew.
    static constexpr int kPickRadius = 4;
    void MarkLine(int line);
    int MarkedLine() const { return markedLine_; }
    std::optional<tolva::Pixel> Marker() const { return marker_; }
    const tolva::LineMap& PathLines() const { return lineMap_; }

    void Image1MouseDown(Qt::MouseButton button, int x, int y, Qt::KeyboardModifiers mods = {});
    void Image1MouseMove(int x, int y);
    void Image1MouseUp(Qt::MouseButton button, int x, int y);
    // Keys of every control of this window come here first (key preview).
    // True when the key was consumed.
    bool FormKeyDown(int key, Qt::KeyboardModifiers mods);

    // The rectangle of the last press: press point and current point.
    QPoint PressPoint() const { return {pressX_, pressY_}; }
    QPoint CurrentPoint() const { return {curX_, curY_}; }
    bool ZoomBoxMode() const { return zoomBox_; }

protected:
    bool eventFilter(QObject* obj, QEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    // tolva::PlotView
    int ViewScaleValue() override;
    tolva::VisibleArea Visible() override;
    int CanvasHeight() override;
    std::string CutSpeedText() override;
    std::string RapidSpeedText() override;
    void SetSingleStepInterval(int ms) override;
    void DisableSpinFlipFlop() override;
    void ShowSummary(const tolva::PlotSummary& s) override;
    void FollowEditor(int line, long long offset) override;
    void ShowProgress() override;

    void build();
    void buildMenus();
    // The modifier buttons, from column `column` of the toolbar on.
    void buildModifiers(class QGridLayout* grid, int& column);
    int angleStep() const;
    void syncFromApp();
    ProgramEditor* mainEditor() const;
    void restartRedraw();

    struct Request {
        ProgramEditor* editor;
        bool setOrigin, clear;
        int y, x;
    };
    void runPlot(const Request& r);

    tolva::MachineSettings* settings_ = nullptr;
    tolva::PlotState state_;
    tolva::ImageCanvas canvas_;
    tolva::Interpreter interp_;
    QtHost pump_;
    QElapsedTimer sinceRepaint_;
    QElapsedTimer sinceShow_;  // last repaint of single-stepped drawing

    bool plotting_ = false;
    std::optional<Request> pending_;
    int redraws_ = 0;

    // Interactive drawing.
    void buildDrawMenu();
    void drawingMove(int x, int y);
    void startDrawing(tolva::DrawMode mode, bool ccw, const char* caption);
    void insertBeforeLast(const std::vector<std::string>& lines);
    void paintRubberBand(QPainter& p);
    tolva::DrawingSettings drawingSettings() const;
    // Plot printing.
    void buildPrintMenu();
    std::unique_ptr<QPrinter> ownPrinter_;

    void selectLine(int line);
    // The place a fit gives, from the last plot's extents; and the place taken
    // (origin set, scale shown, no re-centring at the next plot).
    tolva::ViewPlace fitPlace();
    void takePlace(const tolva::ViewPlace& to);
    void moveEditorTo(int line);
    void paintMarks(QPainter& p);
    void refreshMarks();
    tolva::LineMap lineMap_;
    bool fitNext_ = false;
    bool panDrag_ = false;
    QPoint panStart_;
    int markedLine_ = -1;
    std::optional<tolva::Pixel> marker_;
    std::vector<tolva::Pixel> markedPixels_;
    QElapsedTimer sinceFollow_;  // the editor follows a long plot this often
    int followLine_ = -1;
    bool cursorRun_ = false;  // a long "Plot to Cursor" plots as "Plot" does

    bool zoomBox_ = false;
    bool zoomDrag_ = false;
    tolva::Drawing drawing_;  // mode, click counter and the drawn values
    int pressX_ = 0, pressY_ = 0, curX_ = 0, curY_ = 0;

    // What a single-step run reads: the main editor's text when it started.
    std::string stepBytes_;
    std::unique_ptr<tolva::ByteLines> stepLines_;
};

extern TForm2* Form2;
