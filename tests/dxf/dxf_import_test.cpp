// Whole imports, from the drawing to the finished program text.
#include "dxf/dxf_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/folders.h"
#include "base/program_file.h"
#include "dxf_test_support.h"
#include "settings/machine_settings.h"

using namespace tolva;
namespace fs = std::filesystem;

namespace {

struct ImportFixture : ::testing::Test {
    std::string dir;
    std::unique_ptr<MachineSettings> settings;

    void SetUp() override {
        char buf[] = "/tmp/tolva-import-XXXXXX";
        dir = ::mkdtemp(buf);
        settings = std::make_unique<MachineSettings>(dir);
        const char* rows[][2] = {{"0", "%"},   {"1", "G01"},  {"2", "G02"},  {"3", "G03"},  {"4", "G41"},
                                 {"6", "G90"}, {"7", "G91"},  {"8", "M03"},  {"9", "M05"},  {"10", "M30"},
                                 {"12", "N"},  {"13", "R"},   {"14", "I"},   {"15", "J"},   {"16", "K"},
                                 {"17", "X"},  {"18", "Y"},   {"19", "Z"},   {"20", "G17"}, {"21", "G18"},
                                 {"22", "G19"}};
        for (auto& r : rows) settings->SetCell(1, std::stoi(r[0]), r[1]);
        settings->SetText("EditLayer", "*");
        settings->SetText("DpEdit", "4");
        settings->SetText("ConnectEdit", "0.005");
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string drawing(const std::string& name, const std::string& entities) {
        std::string p = dir + "/" + name;
        std::ofstream(p) << "  0\nSECTION\n  2\nENTITIES\n" << entities << "  0\nENDSEC\n  0\nEOF\n";
        return p;
    }
    static std::string line(double x1, double y1, double x2, double y2) {
        std::ostringstream o;
        o << "  0\nLINE\n  8\n0\n 10\n" << x1 << "\n 20\n" << y1 << "\n 30\n0.0\n 11\n" << x2 << "\n 21\n" << y2
          << "\n 31\n0.0\n";
        return o.str();
    }
};

// Removes the scratch folder the first time a pass reports progress.
struct VanishingScratch : RecordingHost {
    bool removed = false;
    void Progress(int) override {
        if (removed) return;
        removed = true;
        fs::remove_all(ScratchFolder());
    }
};

}  // namespace

TEST_F(ImportFixture, IncrementalCentresOnlyWithBridgeport) {
    // A quarter arc about the origin from drawing (1,0) to (0,1): machine
    // X is drawing Y, so it runs from X0 Y1 to X1 Y0.
    std::string p = drawing("arc.dxf",
                            "  0\nARC\n  8\n0\n 10\n0.0\n 20\n0.0\n 30\n0.0\n 40\n1.0\n 50\n0.0\n 51\n90.0\n");
    DxfImportResult absolute = ImportDxf(p, *settings);
    ASSERT_EQ(absolute.kind, DxfImportResult::Program) << absolute.message;
    auto arcLine = [](const DxfImportResult& r) {
        for (const auto& l : r.lines)
            if (l.rfind("G02", 0) == 0 || l.rfind("G03", 0) == 0) return l;
        return std::string();
    };
    EXPECT_NE(arcLine(absolute).find("I0.0000 J0.0000"), std::string::npos) << arcLine(absolute);
    settings->SetFlag("Bridgeport", true);
    DxfImportResult incremental = ImportDxf(p, *settings);
    ASSERT_EQ(incremental.kind, DxfImportResult::Program);
    EXPECT_NE(arcLine(incremental).find("I0.0000 J-1.0000"), std::string::npos) << arcLine(incremental);
}

TEST_F(ImportFixture, NoPassFileIsLeftAndNothingElseIsTouched) {
    DxfImportResult r = ImportDxf(drawing("l.dxf", line(0, 0, 0, 10)), *settings);
    ASSERT_EQ(r.kind, DxfImportResult::Program);
    EXPECT_TRUE(fs::is_empty(ScratchFolder()));
}

TEST_F(ImportFixture, DegenerateDrawingsEndWithoutHanging) {
    std::string coincident, zero;
    for (int i = 0; i < 100000; ++i) coincident += line(5, 5, 5, 5);
    DxfImportResult r = ImportDxf(drawing("same.dxf", coincident), *settings);
    EXPECT_TRUE(r.kind == DxfImportResult::Program || r.kind == DxfImportResult::NoUsableData) << r.message;
    // One path on one point: whatever the clean-up keeps, it is a handful of
    // distinct lines.
    std::vector<std::string> distinct = r.lines;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    EXPECT_LT(distinct.size(), 20u);
}

TEST_F(ImportFixture, ScratchFolderRemovedMidImportFailsCleanly) {
    std::string chain;
    for (int i = 0; i < 10000; ++i) chain += line(i, 0, i + 1, 0);
    std::string p = drawing("chain.dxf", chain);
    VanishingScratch host;
    DxfImportResult r = ImportDxf(p, *settings, &host);
    ASSERT_TRUE(host.removed) << "the passes report progress on a drawing this size";
    // Either the whole program or a failure with the system's reason.
    if (r.kind == DxfImportResult::Failed) {
        EXPECT_FALSE(r.message.empty());
        EXPECT_TRUE(r.lines.empty());
    } else {
        ASSERT_EQ(r.kind, DxfImportResult::Program);
        EXPECT_EQ(r.lines.back(), "M30 ");
    }
    // The next import works again.
    DxfImportResult again = ImportDxf(p, *settings);
    EXPECT_EQ(again.kind, DxfImportResult::Program) << again.message;
}

// Drawings as LibreCAD writes them (codes without leading blanks), each
// holding one of the ways a value used to be taken for a code or an entity
// name, and the whole program each must give.
TEST_F(ImportFixture, ValuesThatReadLikeCodesOrNamesStayValues) {
    settings->SetFlag("Autosketch", true);
    auto file = [&](const std::string& entities) {
        std::string p = dir + "/fault.dxf";
        std::ofstream(p) << "0\nSECTION\n2\nENTITIES\n" << entities << "0\nENDSEC\n0\nEOF\n";
        return p;
    };
    const std::string line = "0\nLINE\n5\n2A\n100\nAcDbEntity\n8\n0\n100\nAcDbLine\n"
                             "10\n1.5\n20\n2.5\n30\n0.0\n11\n3.5\n21\n4.5\n31\n0.0\n";
    // The program of that one LINE: drawing (1.5, 2.5) to (3.5, 4.5).
    const std::vector<std::string> oneLine = {"%", "G90 ", "G41 ", "M03 ", "G01 X2.5000 Y1.5000 ",
                                              "G01 X4.5000 Y3.5000 ", "M05 ", "M30 "};
    // Lineweight 370 with the value 70, before the points.
    const std::string lineweight = "0\nLINE\n5\n2A\n100\nAcDbEntity\n8\n0\n370\n70\n100\nAcDbLine\n"
                                   "10\n1.5\n20\n2.5\n30\n0.0\n11\n3.5\n21\n4.5\n31\n0.0\n";
    // A solid-filled HATCH: its pattern name (group 2) is SOLID.
    const std::string hatch = "0\nHATCH\n5\n2B\n100\nAcDbEntity\n8\n0\n100\nAcDbHatch\n10\n0.0\n20\n0.0\n30\n0.0\n"
                              "210\n0.0\n220\n0.0\n230\n1.0\n2\nSOLID\n70\n1\n71\n0\n91\n0\n75\n0\n76\n1\n98\n0\n";
    // A TEXT whose text is LINE, with a colour 10 and a height 11.
    const std::string text = "0\nTEXT\n5\n2C\n100\nAcDbEntity\n8\n0\n62\n10\n100\nAcDbText\n"
                             "10\n7.0\n20\n8.0\n30\n0.0\n40\n11\n1\nLINE\n100\nAcDbText\n";
    struct Case {
        const char* what;
        std::string entities;
        std::string note;
    } cases[] = {
        {"370/70", lineweight, ""},
        {"HATCH named SOLID", hatch + line, "Passed over on all layers: 1 HATCH"},
        {"TEXT whose text is LINE", text + line, "Passed over on all layers: 1 TEXT"},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        DxfImportResult r = ImportDxf(file(c.entities), *settings, &host);
        ASSERT_EQ(r.kind, DxfImportResult::Program) << c.what << ": " << r.message;
        EXPECT_EQ(r.lines, oneLine) << c.what;
        EXPECT_EQ(r.note.substr(0, c.note.size()), c.note) << c.what;
        EXPECT_EQ(host.statuses, r.note.empty() ? std::vector<std::string>{} : std::vector<std::string>{r.note});
    }
}

// ELLIPSE ranges run counter-clockwise from group 41 to group 42. Centre
// (10, 20), major axis (4, 0), ratio 0.5: the point of parameter t is
// drawing (10 + 4 cos t, 20 + 2 sin t), program X = drawing Y.
TEST_F(ImportFixture, EllipseRangesRunCounterClockwiseAndEndAtTheirEndPoint) {
    settings->SetText("EllipseEdit", "2");
    auto ellipse = [&](const std::string& start, const std::string& end) {
        return drawing("e.dxf", "  0\nELLIPSE\n  8\n0\n 10\n10.0\n 20\n20.0\n 30\n0.0\n 11\n4.0\n 21\n0.0\n 31\n0.0\n"
                                " 40\n0.5\n 41\n" + start + "\n 42\n" + end + "\n");
    };
    // 4.713 to 0.003 + 2 pi, in two pieces of 0.786593 each: t = 4.713
    // (10.0024, 18.0000), t = 5.499593 (12.8335, 18.5883), t = 0.003
    // (14.0000, 20.0060). It ends there; no chord goes back to the start.
    DxfImportResult across = ImportDxf(ellipse("4.713", "0.003"), *settings);
    ASSERT_EQ(across.kind, DxfImportResult::Program) << across.message;
    EXPECT_EQ(across.lines, (std::vector<std::string>{"%", "G90 ", "G41 ", "M03 ", "G01 X18.0000 Y10.0024 ",
                                                      "G01 X18.5883 Y12.8335 ", "G01 X20.0060 Y14.0000 ", "M05 ", "M30 "}));
    // Half an ellipse, 0 to pi: (14, 20), (10, 22), (6, 20).
    DxfImportResult half = ImportDxf(ellipse("0.0", "3.141592654"), *settings);
    ASSERT_EQ(half.kind, DxfImportResult::Program) << half.message;
    EXPECT_EQ(half.lines, (std::vector<std::string>{"%", "G90 ", "G41 ", "M03 ", "G01 X20.0000 Y14.0000 ",
                                                    "G01 X22.0000 Y10.0000 ", "G01 X20.0000 Y6.0000 ", "M05 ", "M30 "}));
}

// $INSUNITS against "Machine Units": a 1 x 2 rectangle drawn in inches is cut
// 25.4 x 50.8 on a mm machine; a drawing that names no unit, or names the
// machine's, is read as drawn; scales other than 1 keep the drawing as the
// scales make it and say so.
TEST_F(ImportFixture, DrawingUnitsAreConvertedToTheMachines) {
    auto rectangle = [&](const std::string& name, const char* units, double w, double h) {
        std::string header = units ? std::string("  0\nSECTION\n  2\nHEADER\n  9\n$INSUNITS\n 70\n") + units +
                                         "\n  0\nENDSEC\n"
                                   : std::string();
        std::string p = dir + "/" + name;
        std::ofstream(p) << header << "  0\nSECTION\n  2\nENTITIES\n"
                         << line(0, 0, w, 0) << line(w, 0, w, h) << line(w, h, 0, h) << line(0, h, 0, 0)
                         << "  0\nENDSEC\n  0\nEOF\n";
        return p;
    };
    // Largest machine X (the drawing's Y) and Y (the drawing's X) written.
    auto extent = [](const DxfImportResult& r) {
        double x = 0, y = 0;
        for (const std::string& l : r.lines) {
            if (auto p = l.find('X'); p != std::string::npos) x = std::max(x, std::stod(l.substr(p + 1)));
            if (auto p = l.find('Y'); p != std::string::npos) y = std::max(y, std::stod(l.substr(p + 1)));
        }
        return std::pair{x, y};
    };
    struct Case {
        const char* machine;
        const char* units;
        double w, h;
        const char* scale;
        double x, y;
        const char* note;
    } cases[] = {
        {"mm", "1", 1, 2, "1.0", 50.8, 25.4, "The drawing is in inches: converted to mm (x 25.4)."},
        {"mm", nullptr, 1, 2, "1.0", 2, 1, ""},
        {"mm", "4", 1, 2, "1.0", 2, 1, ""},
        {"mm", "6", 1, 2, "1.0", 2, 1, ""},  // metres: neither unit, as drawn
        {"as drawn", "1", 1, 2, "1.0", 2, 1, ""},
        {"inch", "4", 25.4, 50.8, "1.0", 2, 1, "The drawing is in mm: converted to inches (/ 25.4)."},
        {"mm", "1", 1, 2, "10", 20, 10, "not converted"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.machine) + " " + (c.units ? c.units : "none") + " scale " + c.scale);
        settings->SetText("MachineUnits", c.machine);
        settings->SetText("Xscale", c.scale);
        settings->SetText("Yscale", c.scale);
        RecordingHost host;
        DxfImportResult r = ImportDxf(rectangle("r.dxf", c.units, c.w, c.h), *settings, &host);
        ASSERT_EQ(r.kind, DxfImportResult::Program) << r.message;
        const auto [x, y] = extent(r);
        EXPECT_NEAR(x, c.x, 1e-4);
        EXPECT_NEAR(y, c.y, 1e-4);
        if (*c.note) {
            EXPECT_NE(r.note.find(c.note), std::string::npos) << r.note;
            ASSERT_FALSE(host.statuses.empty());
            EXPECT_EQ(host.statuses.back(), r.note);
        } else {
            EXPECT_EQ(r.note, "");
        }
    }
}
