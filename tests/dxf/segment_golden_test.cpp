// The SegmentFile text the reader writes, byte for byte, for the generated
// benchmark drawing, every fixture of tests/data/dxf and every drawing of
// LibreCAD's part library, under settings profiles that reach the scaled,
// Z, R-word, lead-in and exponent-form paths. The reader's fast paths (number
// reading, coordinate text, double trigonometry) must not move a single
// byte; this list of FNV-1a hashes was taken from the reader before they
// were written and is the check that they did not.
//
// TOLVA_WRITE_SEGMENT_GOLDEN=<file> writes the list anew instead of checking.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "../../bench/dxf_generate.h"
#include "dxf/dxf_reader.h"
#include "dxf_test_support.h"

using namespace tolva;
using namespace tolva::test;

namespace {

const std::filesystem::path kLibrary = "/usr/share/librecad/library";

std::uint64_t Fnv1a(const std::string& bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

// Profiles: 0 plain; 1 inch to millimetre with one axis mirrored, Z, R words
// and half-circle lead-ins; 2 millimetre to inch, six decimals, YZ exchange,
// straight lead-ins, four-quadrant circles; 3 scale 1000 at two decimals
// (exponent forms), DesignCad, Bridgeport-free R mode with a "MaxR" cap.
DxfImportSettings Profile(int p, bool autosketch) {
    DxfImportSettings s = PlainSettings("*", 4);
    s.autosketch = autosketch;
    switch (p) {
        case 1:
            s.decimals = 3;
            s.includeZ = true;
            s.xScale = 25.4f;
            s.yScale = -25.4f;
            s.zScale = 2.0f;
            s.zOffset = 1.0f;
            s.rMode = s.ijFourQuad = true;
            s.arcLeadIn = true;
            break;
        case 2:
            s.decimals = 6;
            s.xScale = s.yScale = 0.03937008f;
            s.swapYZ = true;
            s.lineLeadIn = true;
            s.ijFourQuad = true;
            s.leadIn = 0.25f;
            break;
        case 3:
            s.decimals = 2;
            s.xScale = s.yScale = 1000.0f;
            s.zScale = -3.0f;
            s.includeZ = true;
            s.designCad = true;
            s.rMode = true;
            SetCode(s, LabelRow::MaxR, "5000");
            s.ellipsePoints = 40;
            break;
        default:
            break;
    }
    return s;
}

// As a user would set it: AutoSketch for codes without leading blanks. The
// code line before the first SECTION tells how codes are written.
bool CodesWithoutBlanks(const std::string& bytes) {
    const std::size_t section = bytes.find("SECTION");
    const std::size_t codeStart = bytes.rfind('\n', section >= 2 ? section - 2 : 0);
    const std::size_t first = codeStart == std::string::npos ? 0 : codeStart + 1;
    return section != std::string::npos && first < bytes.size() && bytes[first] != ' ';
}

struct Case {
    std::string key;   // "<profile> <name>"
    std::string path;
    bool autosketch;
    int profile;
};

std::vector<Case> Cases(const std::string& benchDrawing) {
    std::vector<std::pair<std::string, std::string>> files;  // name, path
    files.emplace_back("bench/100000", benchDrawing);
    std::vector<std::filesystem::path> fixtures;
    for (const auto& e : std::filesystem::directory_iterator(TOLVA_TEST_DATA "/dxf"))
        if (e.path().extension() == ".dxf") fixtures.push_back(e.path());
    std::sort(fixtures.begin(), fixtures.end());
    for (const auto& f : fixtures) files.emplace_back("fixture/" + f.filename().string(), f.string());
    if (std::filesystem::exists(kLibrary)) {
        std::vector<std::filesystem::path> library;
        for (const auto& e : std::filesystem::recursive_directory_iterator(kLibrary)) {
            std::string ext = e.path().extension();
            std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
            if (e.is_regular_file() && ext == ".dxf") library.push_back(e.path());
        }
        std::sort(library.begin(), library.end());
        for (const auto& f : library)
            files.emplace_back("librecad/" + std::filesystem::relative(f, kLibrary).string(), f.string());
    }
    std::vector<Case> cases;
    for (const auto& [name, path] : files) {
        std::string bytes;
        ReadFileBytes(path, bytes);
        const bool autosketch = CodesWithoutBlanks(bytes);
        for (int p = 0; p < 4; ++p) cases.push_back({std::to_string(p) + " " + name, path, autosketch, p});
    }
    return cases;
}

// "<status> <lines> <hash>" of one read.
std::string Outcome(const DxfReadResult& r) {
    const std::vector<std::string> lines = r.SegmentLines();
    std::string text;
    for (const std::string& l : lines) text.append(l).push_back('\n');
    // The file on disk must hold exactly the lines returned.
    std::string file;
    if (!r.segmentFile.empty()) ReadFileBytes(r.segmentFile, file);
    char buf[96];
    std::snprintf(buf, sizeof buf, "%d %zu %016llx%s", static_cast<int>(r.status), lines.size(),
                  static_cast<unsigned long long>(Fnv1a(text + r.message)),
                  file == text && r.segmentText == text && r.segmentLineCount == lines.size()
                      ? ""
                      : " text-differs");
    return buf;
}

}  // namespace

TEST(SegmentGolden, EveryDrawingWritesTheSameBytesAsBefore) {
    DxfScratch scratch;
    const std::string bench = scratch.write("bench.dxf", bench::GenerateDxf(100000));
    const char* writeTo = std::getenv("TOLVA_WRITE_SEGMENT_GOLDEN");
    const std::string goldenPath = TOLVA_TEST_DATA "/dxf/segment_golden.txt";

    std::map<std::string, std::string> golden;
    if (!writeTo) {
        std::ifstream in(goldenPath);
        ASSERT_TRUE(in) << goldenPath;
        std::string line;
        while (std::getline(in, line)) {
            // "<profile> <name>\t<outcome>"
            const std::size_t tab = line.find('\t');
            if (tab != std::string::npos) golden[line.substr(0, tab)] = line.substr(tab + 1);
        }
        ASSERT_GT(golden.size(), 20u);
    }

    std::ostringstream out;
    int compared = 0, differing = 0;
    for (const Case& c : Cases(bench)) {
        const DxfReadResult r = ReadDxfEntities(c.path, Profile(c.profile, c.autosketch), scratch.path());
        const std::string got = Outcome(r);
        out << c.key << '\t' << got << '\n';
        if (writeTo) continue;
        const auto it = golden.find(c.key);
        if (it == golden.end()) continue;  // a drawing the list does not know (another library version)
        ++compared;
        if (it->second != got && ++differing <= 20) ADD_FAILURE() << c.key << ": was " << it->second << ", now " << got;
    }
    if (writeTo) {
        std::ofstream(writeTo) << out.str();
        GTEST_SKIP() << "wrote " << writeTo;
    }
    EXPECT_EQ(differing, 0);
    // The benchmark drawing and the fixtures at least; the library when installed.
    EXPECT_GE(compared, 4 * 5);
    std::printf("SegmentFile golden: %d reads compared, %d differ\n", compared, differing);
}
