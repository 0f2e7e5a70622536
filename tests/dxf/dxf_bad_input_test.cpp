// Drawings that are not what they claim: every one ends with a clear message
// or the no-data ending, quickly, and leaves no scratch file behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "dxf/dxf_reader.h"
#include "dxf_test_support.h"

using namespace tolva;
using namespace tolva::test;

namespace {

DxfReadResult ReadBytes(const DxfScratch& scratch, const std::string& bytes,
                        const DxfImportSettings& s = PlainSettings()) {
    const std::string path = scratch.write("in.dxf", bytes);
    return ReadDxfEntities(path, s, scratch.path());
}

// Only the drawing itself may remain in the folder.
void ExpectNoScratchFiles(const DxfScratch& scratch) {
    for (const std::string& name : scratch.entries()) EXPECT_EQ(name, "in.dxf");
}

}  // namespace

TEST(DxfBadInput, MissingEmptyAndBinaryFilesAreRefusedWithTheirReason) {
    DxfScratch scratch;
    DxfReadResult missing = ReadDxfEntities(scratch.file("nope.dxf"), PlainSettings(), scratch.path());
    EXPECT_EQ(missing.status, DxfReadStatus::Failed);
    EXPECT_NE(missing.message.find("Cannot open the DXF file"), std::string::npos);
    EXPECT_EQ(missing.layers.size(), 3u);

    DxfReadResult empty = ReadBytes(scratch, "");
    EXPECT_EQ(empty.status, DxfReadStatus::Failed);
    EXPECT_NE(empty.message.find("is empty"), std::string::npos);

    std::string garbage;
    for (int i = 0; i < 100000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 256));
    DxfReadResult binary = ReadBytes(scratch, garbage);
    EXPECT_EQ(binary.status, DxfReadStatus::Failed);
    EXPECT_NE(binary.message.find("not a DXF text file"), std::string::npos);

    DxfReadResult acadBinary = ReadBytes(scratch, std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + "rest");
    EXPECT_EQ(acadBinary.status, DxfReadStatus::Failed);
    ExpectNoScratchFiles(scratch);
}

TEST(DxfBadInput, NoEntitiesSectionSaysSo) {
    DxfScratch scratch;
    DxfReadResult r = ReadBytes(scratch, "0\nSECTION");
    EXPECT_EQ(r.status, DxfReadStatus::NoEntities);
    EXPECT_FALSE(r.message.empty());
    ExpectNoScratchFiles(scratch);
}

TEST(DxfBadInput, ValueThatIsNotANumberNamesItsLine) {
    DxfScratch scratch;
    for (const char* bad : {"abc", "1e999", "nan", "inf", "1.5.5", ""}) {
        const std::string d = Drawing(std::string("0|LINE|8|0|10|1|20|") + bad + "|30|0|11|3|21|4|31|0");
        DxfReadResult r = ReadBytes(scratch, d);
        EXPECT_EQ(r.status, DxfReadStatus::Failed) << bad;
        // 10 lines of sections, then 0 LINE 8 0 10 1 20 <bad>: line 18.
        EXPECT_NE(r.message.find("Line 18 of the DXF file"), std::string::npos) << r.message;
        EXPECT_NE(r.message.find(std::string("\"") + bad + "\""), std::string::npos) << r.message;
        EXPECT_TRUE(r.SegmentLines().empty());
        ExpectNoScratchFiles(scratch);
    }
}

// Found by fuzzing: a polyline flag of 7.8e20 was turned into an integer it
// does not fit (undefined; on x86 the flag bits came out as they happened).
TEST(DxfBadInput, AWholeNumberNoIntegerHoldsNamesItsLine) {
    DxfScratch scratch;
    std::string found;
    ASSERT_TRUE(ReadFileBytes(TOLVA_TEST_DATA "/dxf/fuzz/huge_polyline_flag.dxf", found).ok);
    DxfReadResult r = ReadBytes(scratch, found);
    EXPECT_EQ(r.status, DxfReadStatus::Failed);
    EXPECT_NE(r.message.find("Line 18 of the DXF file should hold a whole number but holds \"777777777777777777771\""),
              std::string::npos)
        << r.message;

    for (const char* count : {"1e30", "-1e30"}) {
        DxfReadResult c = ReadBytes(scratch, Drawing(std::string("0|LWPOLYLINE|8|0|90|") + count + "|70|1|10|0|20|0"));
        EXPECT_EQ(c.status, DxfReadStatus::Failed) << count;
        EXPECT_NE(c.message.find(std::string("should hold a whole number but holds \"") + count + "\""), std::string::npos)
            << c.message;
    }
    ExpectNoScratchFiles(scratch);
}

TEST(DxfBadInput, TruncatedFilesEndEveryRead) {
    const std::string whole = Drawing(
        "0|LINE|8|0|10|1|20|2|30|0|11|3|21|4|31|0|"
        "0|LWPOLYLINE|8|0|90|3|70|1|10|0|20|0|42|1|10|1|20|0|10|1|20|1|"
        "0|POLYLINE|8|0|66|1|10|0|20|0|30|0|70|1|0|VERTEX|8|0|10|0|20|0|30|0|0|VERTEX|8|0|10|1|20|0|30|0|0|SEQEND|"
        "0|ARC|8|0|10|0|20|0|30|0|40|1|50|0|51|90|"
        "0|CIRCLE|8|0|10|0|20|0|30|0|40|1|"
        "0|ELLIPSE|8|0|10|0|20|0|30|0|11|2|21|0|31|0|40|0.5|41|0|42|6.28|"
        "0|SOLID|8|0|10|0|20|0|30|0|11|1|21|0|31|0|12|0|22|1|32|0|13|1|23|1|33|0");
    DxfScratch scratch;
    // Cut the file at every byte: each read ends, with lines or a message.
    for (std::size_t n = 1; n < whole.size(); n += 3) {
        DxfReadResult r = ReadBytes(scratch, whole.substr(0, n));
        if (r.status == DxfReadStatus::Read) {
            EXPECT_EQ(r.SegmentLines().size() % 2, 0u) << n;
        } else {
            EXPECT_FALSE(r.message.empty()) << n;
        }
    }
    // The whole file reads: 1 + 3 + 2 + 1 + 1 + 360 + 4 segments.
    DxfReadResult r = ReadBytes(scratch, whole);
    ASSERT_EQ(r.status, DxfReadStatus::Read) << r.message;
    EXPECT_EQ(r.SegmentLines().size(), 2u * (1 + 3 + 2 + 1 + 1 + 360 + 4));
}

TEST(DxfBadInput, BrokenPairsNameTheirLine) {
    DxfScratch scratch;
    // 10 lines of sections, then 0 LINE 8 0: the code of the bad pair is line 15.
    const std::string head = Drawing("0|LINE|8|0");
    const std::string line = head.substr(0, head.rfind("  0\nENDSEC"));
    struct Case {
        std::string bytes, says;
    } cases[] = {
        {line + " 1O\n1.0\n", "Line 15 of the DXF file should hold a group code (a whole number) but holds \" 1O\""},
        {line + " 10\n", "The DXF file ends at line 15 with the group code 10 and no value after it"},
        {line + "  1\n" + std::string(10 * 1024 * 1024, 'x') + "\n", "Line 16 of the DXF file is 10485760 characters long"},
    };
    for (const Case& c : cases) {
        DxfReadResult r = ReadBytes(scratch, c.bytes);
        EXPECT_EQ(r.status, DxfReadStatus::Failed) << c.says;
        EXPECT_NE(r.message.find(c.says), std::string::npos) << r.message;
        EXPECT_TRUE(r.SegmentLines().empty());
        ExpectNoScratchFiles(scratch);
    }
}

TEST(DxfBadInput, SparseFileOfTwoGigabytesIsRefusedAtOnce) {
    DxfScratch scratch;
    const std::string path = scratch.file("in.dxf");
    int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 2LL * 1024 * 1024 * 1024), 0);
    ::close(fd);
    DxfReadResult r = ReadDxfEntities(path, PlainSettings(), scratch.path());
    EXPECT_EQ(r.status, DxfReadStatus::Failed);
    EXPECT_NE(r.message.find("not a DXF text file"), std::string::npos);
    ExpectNoScratchFiles(scratch);
}

TEST(DxfBadInput, EntityCountBeyondTheVerticesStopsAtTheEntityEnd) {
    // A vertex count of two billion: the vertices end with the entity.
    const std::string d = Drawing("0|LWPOLYLINE|8|0|90|2000000000|70|0|10|0|20|0|10|1|20|0|"
                                  "0|LINE|8|0|10|5|20|5|30|0|11|6|21|6|31|0");
    DxfScratch scratch;
    DxfReadResult r = ReadBytes(scratch, d);
    ASSERT_EQ(r.status, DxfReadStatus::Read) << r.message;
    EXPECT_EQ(r.SegmentLines(), (std::vector<std::string>{"G01 X0.0000 Y0.0000 ", "G01 X0.0000 Y1.0000 ",
                                                        "G01 X5.0000 Y5.0000 ", "G01 X6.0000 Y6.0000 "}));
}
