// The machine files shipped in data/: each must load into a consistent
// machine and survive a "Save ini" unchanged.
#include <gtest/gtest.h>

#include "settings/machine_settings.h"
#include "temp_folder.h"

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
