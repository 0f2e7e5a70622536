// Every drawing of LibreCAD's part library (Debian package librecad-data)
// reads to an end: lines or the no-data ending, never a crash or a hang.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "dxf/dxf_reader.h"
#include "dxf_test_support.h"

using namespace tolva;
using namespace tolva::test;

TEST(LibreCadLibrary, EveryDrawingReadsWithLayerStar) {
    const std::filesystem::path root = "/usr/share/librecad/library";
    if (!std::filesystem::exists(root)) GTEST_SKIP() << "librecad-data is not installed";
    DxfScratch scratch;
    int files = 0, withLines = 0, noData = 0;
    double slowest = 0;
    std::string slowestName;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
        std::string ext = e.path().extension();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
        if (!e.is_regular_file() || ext != ".dxf") continue;
        ++files;
        std::string bytes;
        ReadFileBytes(e.path(), bytes);
        DxfImportSettings s = PlainSettings("*");
        // As a user would set it: AutoSketch for codes without leading blanks.
        // The code line before the first SECTION tells how codes are written.
        const std::size_t section = bytes.find("SECTION");
        const std::size_t codeStart = bytes.rfind('\n', section >= 2 ? section - 2 : 0);
        const std::size_t first = codeStart == std::string::npos ? 0 : codeStart + 1;
        s.autosketch = section != std::string::npos && first < bytes.size() && bytes[first] != ' ';
        const auto t0 = std::chrono::steady_clock::now();
        DxfReadResult r = ReadDxfEntities(e.path(), s, scratch.path());
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (seconds > slowest) {
            slowest = seconds;
            slowestName = e.path();
        }
        if (r.status == DxfReadStatus::Read) {
            ++withLines;
            EXPECT_FALSE(r.SegmentLines().empty());
            EXPECT_EQ(r.SegmentLines().size() % 2, 0u) << e.path();
        } else {
            ++noData;
            EXPECT_EQ(r.status, DxfReadStatus::NoUsableData) << e.path() << ": " << r.message;
        }
    }
    EXPECT_EQ(files, 1272);
    EXPECT_LT(slowest, 2.0) << slowestName;
    RecordProperty("files", files);
    RecordProperty("with_lines", withLines);
    RecordProperty("no_data", noData);
    std::printf("LibreCAD library: %d files, %d with lines, %d no data; slowest %.3f s (%s)\n", files, withLines,
                noData, slowest, slowestName.c_str());
}
