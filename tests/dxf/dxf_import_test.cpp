// Whole imports, from the drawing to the finished program text.
#include "dxf/dxf_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/folders.h"
#include "base/program_file.h"
#include "dxf_test_support.h"
#include "settings/machine_settings.h"

using namespace tolva;
using tolva::test::ForEachLibreCadDrawing;
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

TEST_F(ImportFixture, EveryLibreCadDrawingImports) {
    int files = 0, programs = 0, noData = 0, failed = 0;
    double slowest = 0;
    std::size_t largest = 0;
    std::string slowestName, largestName;
    const bool installed = ForEachLibreCadDrawing([&](const std::string& path, bool autosketch) {
        ++files;
        settings->SetFlag("Autosketch", autosketch);
        const auto t0 = std::chrono::steady_clock::now();
        DxfImportResult r = ImportDxf(path, *settings);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (seconds > slowest) slowest = seconds, slowestName = path;
        if (r.kind == DxfImportResult::Program) {
            ++programs;
            EXPECT_EQ(r.lines.front(), "%") << path;
            if (r.lines.size() > largest) largest = r.lines.size(), largestName = path;
        } else if (r.kind == DxfImportResult::NoUsableData) {
            ++noData;
        } else {
            ++failed;
            ADD_FAILURE() << path << ": " << r.message;
        }
    });
    if (!installed) GTEST_SKIP() << "librecad-data is not installed";
    EXPECT_EQ(files, 1272);
    EXPECT_LT(slowest, 2.0) << slowestName;
    std::printf("LibreCAD import: %d files, %d programs, %d no data, %d failed; largest %zu lines (%s); "
                "slowest %.3f s (%s)\n",
                files, programs, noData, failed, largest, largestName.c_str(), slowest, slowestName.c_str());
}
