// The backplot interpreter: reads a part program one line at a time and draws
// its tool path through a Projection onto a Canvas, keeping the modal state
// and totals of PlotState.
//
// A line goes through three steps: it is read (its codes and words, by
// LineParser), normalised (modes taken, then the move it makes worked out in
// program units: absolute end, arc centre, plane and direction as programmed)
// and the resulting Move handed to the plot's Projection and to every sink
// attached. Scale, axis signs and pixels belong to the Projection alone.
//
// What a line means comes from the machine's label table (codes found by
// plain case-sensitive substring search in the line as typed) and the address
// letters in force, both taken by `Setaxis` at the start of every plot. All
// geometry is in scaled units (program units x ViewScale, axis signs applied);
// the program's X runs down the screen and Y across. The moves are in program
// units, in the program's axes.
//
// Failure: there are none to report. Unreadable or non-finite words are
// absent; a point that is not finite is never drawn.
#pragma once

#include <cstdint>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "base/host.h"
#include "plot/canvas.h"
#include "plot/cycle_time.h"
#include "plot/line_codes.h"
#include "plot/dxf_sink.h"
#include "plot/move.h"
#include "plot/plot_state.h"
#include "plot/program_lines.h"
#include "plot/projection.h"
#include "settings/label_table.h"
#include "text/gcode_words.h"

namespace tolva {

class MachineSettings;

// One line as the interpreter reads it before acting on it: which of the
// searched label codes it holds (bits of LineParser's slots) and its words
// G I J R K X Y Z, each absent when its value is not a finite number.
struct ParsedLine {
    std::uint32_t found = 0;
    WordRead words[8];
};

// Reads lines for the interpreter with the codes and letters in force: the
// whole line (as the word tools read it) before any stop marker, then its
// codes and words. It holds its own copies, so a copy may read lines on another thread.
class LineParser {
public:
    // Slot of each searched label row in ParsedLine::found.
    static constexpr int kSearchedRows[] = {LabelRow::XYPlane,     LabelRow::XZPlane,  LabelRow::YZPlane,
                                            LabelRow::BeginBlock,  LabelRow::EndBlock, LabelRow::Absolute,
                                            LabelRow::Incremental, LabelRow::ArcCw,    LabelRow::ArcCcw,
                                            LabelRow::Rapid,       LabelRow::Line};
    static constexpr std::uint32_t SlotOf(int row) {
        for (std::uint32_t i = 0; i < std::size(kSearchedRows); ++i)
            if (kSearchedRows[i] == row) return 1u << i;
        return 0;
    }

    void Take(const AxisCodes& codes);
    void Parse(std::string_view line, ParsedLine& out) const;

private:
    std::string stops_[3];
    LineCodes codes_;
    WordReader words_;
};

// The settings the interpreter reads, taken at the start of every plot and
// every single step.
struct InterpreterSettings {
    bool Bridgeport = false;        // absolute I J K are offsets from the start
    bool IncludeZCheckBox = false;  // arcs with K; XY arcs need both I and J
    bool Xdiv2 = false;             // lathe: X words are diameters
    bool Idiv2 = false;             // lathe: I words are diameters
    bool ShowXYZCheckBox = false;   // draw the axis indicator
};

// The window texts written when the plot reaches the main editor's last line.
struct PlotSummary {
    std::string Caption;    // "Cut ...  Rapid ...  Total Distance ..."
    std::string CutTime;    // "Time " + cut / cut speed
    std::string RapidTime;  // " + " + rapid / rapid speed
    std::string TotalTime;  // " = " + sum
    // "Est " + the minutes the machine file's axis limits give (CycleTime),
    // or "no acceleration data" when the machine file lacks them.
    std::string EstTime;
    std::string Bigx;       // "Max " + X extent, 1 decimal
    std::string Bigy;
    std::string Area;       // "Area " + rounded X extent x rounded Y extent
};

// What the interpreter needs of the plot window. Every member has a harmless
// default, so a bare PlotView serves runs without a window.
class PlotView {
public:
    virtual ~PlotView() = default;
    virtual int ViewScaleValue() { return 1000; }     // "View Scale": pixels per unit x 1000
    virtual VisibleArea Visible() { return {}; }      // for keeping the view centre on a scale change
    virtual int CanvasHeight() { return 1000; }       // pixels, for the axis indicator
    virtual std::string CutSpeedText() { return "1.00"; }    // units per minute
    virtual std::string RapidSpeedText() { return "2.00"; }
    virtual void SetSingleStepInterval(int ms) {}     // `Setaxis`: 55..1000 ms
    virtual void DisableSpinFlipFlop() {}             // a line with K and I or J, Z included
    virtual void ShowSummary(const PlotSummary& s) {} // at the main editor's last line
    // `ShowCursor`: the editor follows the plot. `line` is the line about to
    // be interpreted, `offset` the running character offset (each line's
    // length plus 2, the CR LF count of a text list).
    virtual void FollowEditor(int line, long long offset) {}
    // Called every 1000 lines of a long plot, before pending events run.
    virtual void ShowProgress() {}
};

class Interpreter {
public:
    // `settings` may be null: default letters X Y Z I J K R N, every code
    // empty, signs +1, every setting off.
    Interpreter(PlotState& state, Canvas& canvas, MachineSettings* settings, PlotView* view = nullptr);

    PlotState& State() { return state_; }
    Projection& View() { return projection_; }
    Canvas& Surface() { return canvas_; }
    void SetView(PlotView* view) { view_ = view ? view : &noView_; }
    void SetSettings(MachineSettings* settings) { settings_ = settings; }
    // Every move of the following runs also goes to `sink`, in program order,
    // until it is removed. The sink must outlive its attachment.
    void AddMoveSink(MoveSink* sink);
    void RemoveMoveSink(MoveSink* sink);
    // The open DXF export riding on the plot, or null.
    void SetDxf(DxfSink* dxf) { dxf_ = dxf; projection_.Dxf = dxf; }

    // Line count of the main editor: the summary is written at its last
    // line and the object records start from it. Set by the caller.
    int MainLineCount = 0;

    // Copies the codes in force from the label table, the signs and the
    // single-step interval, and takes the other settings the plot reads.
    void Setaxis();
    const AxisCodes& Codes() const { return codes_; }
    const InterpreterSettings& Settings() const { return settings2_; }

    // Starts a plot from line 0: modal state, totals, extents and objects
    // reset, view scale taken, canvas cleared, pen at program zero.
    void SetupPlot(bool resetPlane);

    // Interprets line CurLine of `text` and draws it. With `continuous` false
    // the canvas is shown after every arc segment.
    void SinglestepPlot(const ProgramLines& text, bool continuous);

    enum class PlotEnd { Finished, Aborted };
    // Every line of `text` from 0. With `setOrigin`, program zero goes to
    // pixel (x, y) first; with `clear`, SetupPlot(true) starts a fresh plot.
    // Pending events run (host.ProcessEvents) every 1000 lines, line 0
    // included. AbortPlot set by then stops the plot after the current line
    // and leaves a cleared canvas. A long program's lines are read on a
    // second thread while the plot runs: nothing else may read `text` then,
    // and the bytes behind it may move only through TextMoving.
    PlotEnd PlotAll(const ProgramLines& text, bool setOrigin, bool clear, int y, int x, Host& host);
    // The bytes behind the text a running plot reads are about to change
    // (pending events are editing the document): `move` gives the plot the
    // same text held elsewhere, while no other thread reads it.
    void TextMoving(const std::function<void()>& move);

    // One step of single-step mode over the main editor's text.
    void SingleStepAline(const ProgramLines& text);
    // The editor follows the plot: see PlotView::FollowEditor.
    void ShowCursor(const ProgramLines& text);
    // "Plot to Cursor": a fresh plot of lines 0..SelStartLine, single-step
    // drawing. A negative SelStartLine (caret in the first line) plots nothing.
    // Pending events run (host.ProcessEvents) after every line, so the window
    // stays alive; AbortPlot set by then (Esc) stops the run there and leaves
    // what has been drawn.
    PlotEnd PlotToCursor(const ProgramLines& text, Host& host);

    // Cut-on/cut-off accounting after each line.
    void Bigobject(bool cutOn, bool cutOff);
    // While set, every cut-off that closes a cut-on of its own (one that came
    // after the previous cut-off) is appended here as it is measured, in
    // program order: one plot then gives every object's size at once.
    std::vector<ObjectRecord>* ObjectLog = nullptr;
    static void ZeroIOrJ(PlotWords& w);

    // The summary texts for the current totals and speed texts.
    PlotSummary Summary(const std::string& cutSpeed, const std::string& rapidSpeed) const;

private:
    // The codes a line holds that act after its move.
    struct LineModes {
        bool cutOn = false, cutOff = false, cwCode = false, ccwCode = false;
    };
    void readSettings();
    void takeCodes();
    // Steps 3 to 24 of a line already read.
    void interpretLine(const ParsedLine& line, bool mainEditor, bool continuous);
    // Modal state from the line's codes (plane, distance mode, motion).
    LineModes takeModes(const ParsedLine& line);
    // The pen for the line: the highlighted block and the cut state.
    void takePen(const LineModes& m, bool mainEditor);
    // The move the line makes, in program units; false when it makes none to
    // draw (the position may still have changed).
    bool normalise(const ParsedLine& line, const LineModes& m, Move& out);
    void sendMove(const Move& move, bool continuous);
    // Object accounting and the summary after the line's move.
    void finishLine(const LineModes& m);
    // A long program's lines read on a second thread ahead of PlotAll.
    class ReadAhead;
    ReadAhead* ahead_ = nullptr;  // while such a plot runs

    PlotState& state_;
    Canvas& canvas_;
    Projection projection_;
    MachineSettings* settings_;
    PlotView noView_;
    PlotView* view_;
    DxfSink* dxf_ = nullptr;
    long double objectStart_ = 0.0L;  // the projection's MovedLength at the object's cut-on
    AxisCodes codes_;
    // Taken from codes_ by Setaxis; `parserGeneration_` counts the takes.
    LineParser parser_;
    unsigned parserGeneration_ = 0;
    InterpreterSettings settings2_;
    // The cycle time with the machine's accelerations, when its file gives
    // them: attached as a sink for the plot's runs.
    std::optional<MotionLimits> limits_;
    CycleTime estimate_;
    // The position in program units, in the axes of the letters in force
    // (the plot's axes before signs and scale).
    double pos_[3] = {0.0, 0.0, 0.0};
    bool rapid_ = false;  // the rapid code is in force (until a feed or arc code)
    std::vector<MoveSink*> sinks_;
};

}  // namespace tolva
