// The machine files shipped in data/: each must load into a consistent
// machine and survive a "Save ini" unchanged.
#include <gtest/gtest.h>

#include <algorithm>

#include "dxf/dxf_import.h"
#include "plot/canvas.h"
#include "plot/interpreter.h"
#include "plot/program_lines.h"
#include "settings/machine_settings.h"
#include "../support/temp_folder.h"

using namespace tolva;

namespace {

struct Loaded {
    test::TempFolder dir;
    MachineSettings s{dir.path()};
    std::string original;

    explicit Loaded(const std::string& name) {
        ReadFileBytes(std::string(TOLVA_SOURCE_DIR) + "/data/" + name, original);
        dir.write(name, original);
        s.SetMachineFile(dir.file(name));
        s.Ldini();
    }
    std::string code(int row) const { return s.Labels().Cell(1, row); }
};

}  // namespace

TEST(ShippedMachineFiles, SaveIniOverThemChangesNoByte) {
    for (const char* name : {"tolva.ini", "plasma.ini", "lathe.ini"}) {
        Loaded m(name);
        ASSERT_FALSE(m.original.empty()) << name;
        m.s.Setaxis();  // a plot before the save must not change the table either
        ASSERT_TRUE(m.s.Svini().ok);
        EXPECT_EQ(m.dir.read(name), m.original) << name;
    }
}

TEST(ShippedMachineFiles, MillWritesDrawnAxesAndStandardArcs) {
    Loaded m("tolva.ini");
    EXPECT_EQ(m.code(LabelRow::FileStart), "%");
    EXPECT_EQ(m.code(LabelRow::ArcCw), "G02");
    EXPECT_EQ(m.code(LabelRow::ArcCcw), "G03");
    EXPECT_EQ(m.code(LabelRow::FileEnd), "M30");
    EXPECT_EQ(m.code(LabelRow::Rapid), "G00");
    EXPECT_EQ(m.code(LabelRow::CommentStart), "(");
    EXPECT_EQ(m.code(LabelRow::CommentEnd), ")");
    EXPECT_TRUE(m.s.Flag("SwapXY"));
    EXPECT_TRUE(m.s.Flag("XsignCheckBox"));
    EXPECT_TRUE(m.s.Flag("EditOnlyCheckBox"));  // a rapid to every path's start before cutting
    EXPECT_TRUE(m.s.Flag("Bridgeport"));
    AxisCodes a = m.s.Setaxis();
    EXPECT_EQ(a.letters.X, "Y");  // the reader's machine X is the drawing's Y: written as Y
    EXPECT_EQ(a.letters.Y, "X");
    EXPECT_EQ(a.letters.N, "N");
}

TEST(ShippedMachineFiles, PlasmaCutsWithTorchCodesKerfAndLeadIns) {
    Loaded m("plasma.ini");
    EXPECT_EQ(m.code(LabelRow::BeginBlock), "M07");
    EXPECT_EQ(m.code(LabelRow::EndBlock), "M08");
    EXPECT_EQ(m.code(LabelRow::KerfCompLeft), "G41");
    EXPECT_TRUE(m.s.Flag("CircleCheckBox"));
    EXPECT_TRUE(m.s.Flag("SwapXY"));
    EXPECT_TRUE(m.s.Flag("XsignCheckBox"));
}

TEST(ShippedMachineFiles, LatheWritesDiameterXAndZAlongTheSpindle) {
    Loaded m("lathe.ini");
    EXPECT_TRUE(m.s.Flag("SwapYZ"));
    EXPECT_FALSE(m.s.Flag("SwapXY"));
    EXPECT_TRUE(m.s.Flag("Xdiv2"));
    EXPECT_TRUE(m.s.Flag("RCheckbox"));
    EXPECT_EQ(m.s.Text("Xscale"), "2.000");
    EXPECT_EQ(m.code(LabelRow::XYPlane), "G18");
    EXPECT_EQ(m.code(LabelRow::Absolute), "");  // G90 is a turning cycle on this control
    AxisCodes a = m.s.Setaxis();
    EXPECT_EQ(a.letters.X, "X");
    EXPECT_EQ(a.letters.Y, "Z");  // the drawing's X is written as Z
    EXPECT_EQ(m.s.Caption("ZoffsetEdit"), "Y Offset +/-");
}

TEST(ShippedMachineFiles, MillRetractsAtRapidAndThePlotDrawsItBlue) {
    // The example plate with the shipped mill: every path ends with a rapid
    // retract "G00 Z5.000" (the cut-off code, found although the import put
    // a blank into it), so what follows until the next cut-on (M08) is blue
    // and the cut itself red.
    Loaded m("tolva.ini");
    const DxfImportResult imported =
        ImportDxf(std::string(TOLVA_SOURCE_DIR) + "/data/examples/plate.dxf", m.s);
    ASSERT_EQ(imported.kind, DxfImportResult::Program) << imported.message;
    const std::vector<std::string>& lines = imported.lines;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "G00 Z5.000 "), 3);

    PlotState state;
    RecordingCanvas canvas;
    Interpreter plot(state, canvas, &m.s);
    plot.MainLineCount = static_cast<int>(lines.size());
    VectorLines text(lines);
    plot.SetupPlot(true);
    bool cutting = false, seenCut = false;
    for (int i = 0; i < text.Count(); ++i) {
        if (lines[i] == "M08 ") cutting = seenCut = true;
        if (lines[i] == "G00 Z5.000 ") cutting = false;
        const std::size_t before = canvas.Segments().size();
        state.CurLine = i;
        plot.SinglestepPlot(text, true);
        if (!seenCut) continue;
        if (i + 1 < text.Count()) {  // the last line's summary turns the pen red again
            EXPECT_EQ(canvas.PenColour(), cutting ? kRed : kBlue) << "after line " << i << " " << lines[i];
        }
        for (std::size_t k = before; k < canvas.Segments().size(); ++k)
            EXPECT_EQ(canvas.Segments()[k].colour, cutting ? kRed : kBlue) << "line " << i << " " << lines[i];
    }
    EXPECT_TRUE(seenCut);
}
