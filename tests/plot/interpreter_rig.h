// A whole interpreter on a recording canvas, with a plain mill label table:
// G02/G03 arcs, G90/G91, M03 cut on, M05 cut off, G17/G18/G19 planes, stop
// markers "(" and ";" and the letters R I J K X Y Z.
#pragma once

#include <string>
#include <vector>

#include "base/host.h"
#include "plot/interpreter.h"
#include "plot/program_lines.h"
#include "plot_test_support.h"
#include "settings/label_table.h"
#include "settings/machine_settings.h"

namespace tolva::test {

inline void MillLabels(MachineSettings& m) {
    const std::pair<int, const char*> cells[] = {
        {LabelRow::Line, "G01"},        {LabelRow::ArcCw, "G02"},       {LabelRow::ArcCcw, "G03"},
        {LabelRow::Absolute, "G90"},    {LabelRow::Incremental, "G91"}, {LabelRow::BeginBlock, "M03"},
        {LabelRow::EndBlock, "M05"},    {LabelRow::NLetter, "N"},       {LabelRow::RLetter, "R"},
        {LabelRow::ILetter, "I"},       {LabelRow::JLetter, "J"},       {LabelRow::KLetter, "K"},
        {LabelRow::XLetter, "X"},       {LabelRow::YLetter, "Y"},       {LabelRow::ZLetter, "Z"},
        {LabelRow::XYPlane, "G17"},     {LabelRow::XZPlane, "G18"},     {LabelRow::YZPlane, "G19"},
        {LabelRow::Rapid, "G00"},       {LabelRow::StopA, "("},         {LabelRow::StopB, ";"},
    };
    for (auto [row, code] : cells) m.SetCell(1, row, code);
}

// Records what the plot window would show.
class RecordingView : public PlotView {
public:
    int scaleValue = 1000;
    std::string cutSpeed = "1.00", rapidSpeed = "2.00";
    std::vector<PlotSummary> summaries;
    std::vector<int> followed;
    int disabled = 0, progress = 0, interval = 0;
    int ViewScaleValue() override { return scaleValue; }
    std::string CutSpeedText() override { return cutSpeed; }
    std::string RapidSpeedText() override { return rapidSpeed; }
    void SetSingleStepInterval(int ms) override { interval = ms; }
    void DisableSpinFlipFlop() override { ++disabled; }
    void ShowSummary(const PlotSummary& s) override { summaries.push_back(s); }
    void FollowEditor(int line, long long) override { followed.push_back(line); }
    void ShowProgress() override { ++progress; }
};

struct InterpreterRig {
    MachineSettings settings{"/nonexistent-tolva-folder"};
    PlotState state;
    RecordingCanvas canvas;
    RecordingView view;
    Interpreter interp{state, canvas, &settings, &view};
    RecordingHost host;
    RecordingDxf dxf;

    InterpreterRig() {
        MillLabels(settings);
        settings.SetText("Edit5", "125");
        canvas.SetPenColour(kRed);
    }

    Interpreter::PlotEnd Plot(const std::vector<std::string>& lines) {
        VectorLines text(lines);
        text.MainEditor = true;
        interp.MainLineCount = static_cast<int>(lines.size());
        return interp.PlotAll(text, false, true, 0, 0, host);
    }
    // Every point handed to the projection (3-D, scaled units), through a
    // lines-only DXF export.
    void TapPoints() {
        state.DxfExportOn = true;
        state.DxfLinesOnly = true;
        interp.SetDxf(&dxf);
    }
    // Pixel of program point (x, y) at the default origin (100, 460), scale 1.
    static Pixel At(int x, int y) { return {100 + y, 460 + x}; }
};

}  // namespace tolva::test
