// Every drawing of LibreCAD's part library (Debian package librecad-data)
// reads to an end: lines or the no-data ending, never a crash or a hang.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "dxf/dxf_reader.h"
#include "dxf_test_support.h"

using namespace tolva;
using namespace tolva::test;

TEST(LibreCadLibrary, EveryDrawingReadsWithLayerStar) {
    DxfScratch scratch;
    int files = 0, withLines = 0, noData = 0;
    double slowest = 0;
    std::string slowestName;
    const bool installed = ForEachLibreCadDrawing([&](const std::string& path, bool autosketch) {
        ++files;
        DxfImportSettings s = PlainSettings("*");
        s.autosketch = autosketch;
        const auto t0 = std::chrono::steady_clock::now();
        DxfReadResult r = ReadDxfEntities(path, s, scratch.path());
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (seconds > slowest) {
            slowest = seconds;
            slowestName = path;
        }
        if (r.status == DxfReadStatus::Read) {
            ++withLines;
            EXPECT_FALSE(r.SegmentLines().empty());
            EXPECT_EQ(r.SegmentLines().size() % 2, 0u) << path;
        } else {
            ++noData;
            EXPECT_EQ(r.status, DxfReadStatus::NoUsableData) << path << ": " << r.message;
        }
    });
    if (!installed) GTEST_SKIP() << "librecad-data is not installed";
    EXPECT_EQ(files, 1272);
    EXPECT_LT(slowest, 2.0) << slowestName;
    RecordProperty("files", files);
    RecordProperty("with_lines", withLines);
    RecordProperty("no_data", noData);
    std::printf("LibreCAD library: %d files, %d with lines, %d no data; slowest %.3f s (%s)\n", files, withLines,
                noData, slowest, slowestName.c_str());
}
