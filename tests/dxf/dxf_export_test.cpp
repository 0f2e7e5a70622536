// The DXF export: the records written, what each export takes from the
// plot, and what a failed write leaves behind. ezdxf reads such files under
// every pair of axis signs in dxf_export_oracle.py.
#include "dxf/dxf_export.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cmath>
#include <csignal>
#include <sstream>

#include "../plot/interpreter_rig.h"
#include "../support/temp_folder.h"
#include "base/program_file.h"
#include "settings/machine_settings.h"

using namespace tolva;

namespace {

struct ExportFixture : ::testing::Test {
    test::TempFolder dir{"tolva-dxf-export"};
    MachineSettings settings{"/nonexistent-tolva-folder"};

    ExportFixture() {
        test::MillLabels(settings);
        settings.SetText("Edit5", "125");
        // The machine files' X * -1: DXF angles are the plot's angles.
        settings.SetFlag("XsignCheckBox", true);
    }
    std::string exportText(const std::vector<std::string>& program, DxfExportKind kind, int decimals = 4) {
        VectorLines text(program);
        DxfPlotExport req;
        req.kind = kind;
        req.decimalPlaces = decimals;
        const FileStatus st = ExportPlotDxf(dir.file("out.dxf"), text, settings, req);
        EXPECT_TRUE(st.ok) << st.message;
        return dir.read("out.dxf");
    }
};

std::string crlf(const std::string& lines) {
    std::string out;
    std::istringstream in(lines);
    for (std::string l; std::getline(in, l);) out += l + "\r\n";
    return out;
}

// The LINE entities of a file: (x1, y1, x2, y2).
std::vector<std::array<double, 4>> dxfLines(const std::string& text) {
    std::vector<std::string> v = SplitLines(text);
    std::vector<std::array<double, 4>> out;
    for (std::size_t i = 0; i + 16 < v.size(); ++i) {
        if (v[i] != "  0" || v[i + 1] != "LINE") continue;
        out.push_back({std::stod(v[i + 5]), std::stod(v[i + 7]), std::stod(v[i + 11]), std::stod(v[i + 13])});
    }
    return out;
}

const std::vector<std::string> kProgram = {
    "G00 X3 Y5",          // the first line: never drawn, never exported
    "G01 X1 Y2 Z-1",      // a line from where line 0 left the tool
    "G02 X1 Y7 I1 J4.5",  // a clockwise half circle, radius 2.5
    "G01 X1 Y9",
    "G03 X1 Y9 I1 J10",   // a full circle
    "M05",                // cut off: what follows is blue
    "G01 X5 Y9",
};

}  // namespace

TEST_F(ExportFixture, AnEmptyProgramGivesTheHeaderAndFooterOnly) {
    EXPECT_EQ(exportText({}, DxfExportKind::Full), crlf("  0\nSECTION\n  2\nENTITIES\n  0\nENDSEC\n  0\nEOF"));
    EXPECT_EQ(exportText({}, DxfExportKind::LinesOnly), crlf("  0\nSECTION\n  2\nENTITIES\n  0\nENDSEC\n  0\nEOF"));
}

TEST_F(ExportFixture, FullExportWritesLinesArcsAndCirclesWithTheAxesExchanged) {
    // DXF X carries the program's Y, DXF Y its X. The arc runs clockwise in
    // the program from (1,2) to (1,7) round (1,4.5), through X -1.5: in DXF
    // terms (a mirror) counter-clockwise from 180 to 0 degrees round
    // (4.5,1). Z is not included, so every Z is "0". The first line and the
    // blue move after M05 write nothing.
    const std::string expected = crlf(
        "  0\nSECTION\n  2\nENTITIES\n"
        "  0\nLINE\n  8\n0\n 10\n5.0000\n 20\n3.0000\n 30\n0\n 11\n2.0000\n 21\n1.0000\n 31\n0\n"
        "  0\nARC\n  8\n0\n 10\n4.5000\n 20\n1.0000\n 30\n0\n 40\n2.5000\n 50\n180.000000\n 51\n0.000000\n"
        "  0\nLINE\n  8\n0\n 10\n7.0000\n 20\n1.0000\n 30\n0\n 11\n9.0000\n 21\n1.0000\n 31\n0\n"
        "  0\nCIRCLE\n  8\n0\n 10\n10.0000\n 20\n1.0000\n 30\n0\n 40\n1.0000\n"
        "  0\nENDSEC\n  0\nEOF");
    EXPECT_EQ(exportText(kProgram, DxfExportKind::Full), expected);

    // Blue moves too with "Write Blue lines to dxf"; Z with "Z Included".
    settings.SetFlag("WriteBlueLine", true);
    settings.SetFlag("IncludeZCheckBox", true);
    const std::string withBlue = exportText(kProgram, DxfExportKind::Full, 3);
    EXPECT_NE(withBlue.find(" 10\r\n5.000\r\n 20\r\n3.000\r\n 30\r\n0.000\r\n 11\r\n2.000\r\n 21\r\n1.000\r\n 31\r\n-1.000\r\n"),
              std::string::npos);
    const auto lines = dxfLines(withBlue);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], (std::array<double, 4>{9, 1, 9, 5}));
}

TEST_F(ExportFixture, LinesOnlyExportIsOneChainOfTheProgramsOwnSegments) {
    // Each move is written from its programmed start to exactly its
    // programmed end, even the first one after the undrawn first line; arcs
    // become chords on their circles.
    for (bool second : {false, true}) {
        const auto lines = dxfLines(exportText(kProgram, DxfExportKind::LinesOnly));
        ASSERT_GT(lines.size(), 20u);
        EXPECT_EQ(lines.front()[0], 5);  // from (X3, Y5), where line 0 left the tool
        EXPECT_EQ(lines.front()[1], 3);
        EXPECT_EQ(lines.front()[2], 2);
        EXPECT_EQ(lines.front()[3], 1);
        int onArc = 0, onCircle = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const auto& l = lines[i];
            if (i > 0) {
                EXPECT_EQ(l[0], lines[i - 1][2]) << i << (second ? " second export" : "");
                EXPECT_EQ(l[1], lines[i - 1][3]) << i;
            }
            if (std::fabs(std::hypot(l[2] - 4.5, l[3] - 1) - 2.5) < 2e-4) ++onArc;
            if (std::fabs(std::hypot(l[2] - 10, l[3] - 1) - 1) < 2e-4) ++onCircle;
        }
        EXPECT_GT(onArc, 10);
        EXPECT_GT(onCircle, 10);
        // The clockwise half circle passes program X -1.5 (DXF Y -1.5), as a
        // machine runs it.
        double low = 0;
        for (const auto& l : lines)
            if (std::fabs(std::hypot(l[2] - 4.5, l[3] - 1) - 2.5) < 2e-4) low = std::min(low, l[3]);
        EXPECT_NEAR(low, -1.5, 5e-3);  // chords of about 0.2 units
        // The last written point is the programmed end before the cut-off.
        EXPECT_EQ(lines.back()[2], 9);
        EXPECT_EQ(lines.back()[3], 1);
    }
}

TEST_F(ExportFixture, PointFileHasOnePointPerLineWithXAndYAfterTheFirstInTheFullExportsAxes) {
    // DXF X from the Y word, DXF Y from the X word, as the full export: the
    // plot's signs do not enter (the words are the program's own values).
    const std::vector<std::string> program = {"X9 Y9", "G01 X1.5 Y-2", "G01 X4", "Y3 X-7"};
    VectorLines text(program);
    DxfFormat f;
    f.XSign = -1;
    FileStatus st = DxfPointFile(dir.file("p.dxf"), text, Letters{}, f);
    ASSERT_TRUE(st.ok) << st.message;
    EXPECT_EQ(dir.read("p.dxf"), crlf("  0\nSECTION\n  2\nENTITIES\n"
                                       "  0\nPOINT\n  8\n0\n 10\n-2.000\n 20\n1.500\n 30\n0.000\n"
                                       "  0\nPOINT\n  8\n0\n 10\n3.000\n 20\n-7.000\n 30\n0.000\n"
                                       "  0\nENDSEC\n  0\nEOF"));
}

TEST_F(ExportFixture, NumbersKeepTheirDecimalsUpToSixIntegerDigits) {
    DxfFormat f;
    DxfWriter w(f);
    ASSERT_TRUE(w.DxfHeader(dir.file("n.dxf")).ok);
    w.DxfBodyPoint(1234567.0f, -0.0004f, 0.0f);
    w.DxfBodyPoint(123456.75f, -1250.125f, 0.0f);  // every decimal kept below a million
    ASSERT_TRUE(w.DxfFooter().ok);
    const std::string t = dir.read("n.dxf");
    EXPECT_NE(t.find(" 10\r\n0.000\r\n 20\r\n1.23457E+006\r\n"), std::string::npos) << t;
    EXPECT_NE(t.find(" 10\r\n-1250.125\r\n 20\r\n123456.750\r\n"), std::string::npos) << t;
}

TEST_F(ExportFixture, AFailedWriteLeavesTheOldFileAndNoPartOfTheNewOne) {
    // Target in a folder that does not exist.
    {
        VectorLines text(kProgram);
        const FileStatus st = ExportPlotDxf(dir.file("missing/out.dxf"), text, settings, {});
        EXPECT_FALSE(st.ok);
        EXPECT_NE(st.message.find("missing/out.dxf"), std::string::npos) << st.message;
    }
    // A disk that fills up: a file size limit gives the same error a full
    // disk does, at the same place.
    const std::string old = "an older drawing\n";
    dir.write("full.dxf", old);
    std::vector<std::string> big = {""};
    for (int i = 0; i < 2000; ++i) big.push_back("G01 X" + std::to_string(i) + " Y" + std::to_string(i % 7));
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 20000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    VectorLines text(big);
    const FileStatus st = ExportPlotDxf(dir.file("full.dxf"), text, settings, {});
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(st.ok);
    EXPECT_NE(st.message.find("full.dxf"), std::string::npos) << st.message;
    EXPECT_EQ(dir.read("full.dxf"), old);
    EXPECT_EQ(dir.entries().size(), 1u);  // no temporary file left
}
