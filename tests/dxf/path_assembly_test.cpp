// Path assembly: chaining pieces into framed paths, "Line comp", the final
// clean-up, and the pass files they run on.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

#include "dxf/dxf_settings.h"
#include "dxf/pass_files.h"
#include "dxf/path_orientation.h"
#include "dxf/plane_codes.h"
#include "dxf/sortout_pass_loop.h"
#include "settings/machine_settings.h"
#include "path_test_support.h"

using namespace tolva;
using namespace tolva::pathtest;

namespace {

std::vector<std::string> Framed(std::vector<std::string> body) {
    std::vector<std::string> out = Head();
    out.insert(out.end(), body.begin(), body.end());
    out.push_back("M05");
    out.push_back("M30");
    return out;
}

// The two lines written for the second piece of the first path.
std::vector<std::string> SecondPiece(const std::vector<std::string>& seg) {
    const std::vector<std::string> out = ChainPieces(seg, Settings());
    return {out.at(6), out.at(7)};
}

std::size_t Count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

// A private folder for the pass files.
class Folder : public test::DxfScratch {
public:
    void write(const std::string& name, const std::vector<std::string>& lines) const {
        test::DxfScratch::write(name, JoinLines(lines, LineEnd::LF, true));
    }
    std::vector<std::string> read(const std::string& name) const {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(file(name), bytes).ok) << name;
        return SplitLines(bytes);
    }
    std::vector<std::string> sortedEntries() const {
        std::vector<std::string> out = entries();
        std::sort(out.begin(), out.end());
        return out;
    }
};

}  // namespace

TEST(PathAssemblySettings, FieldsThatAreNotNumbersTakeTheirDefaults) {
    Folder f;
    MachineSettings m{f.path()};
    const AxisCodes codes = Settings().codes;
    m.SetText("ConnectEdit", "0,01");
    m.SetText("VectorErr", "");
    PathAssemblySettings s = ReadPathAssemblySettings(m, codes);
    EXPECT_EQ(s.connectTolerance, 0.005);
    EXPECT_EQ(s.vectorErrDegrees, 0.5);
    m.SetText("ConnectEdit", " 0.02 ");
    m.SetText("VectorErr", "1.5");
    m.SetFlag("VectorCheckBox2", true);
    s = ReadPathAssemblySettings(m, codes);
    EXPECT_EQ(s.connectTolerance, 0.02);
    EXPECT_EQ(s.vectorErrDegrees, 1.5);
    EXPECT_TRUE(s.lineComp);
}

// ---- SORTOUT3

TEST(ChainPieces, PieceTouchingAtItsEndIsTurnedRound) {
    std::vector<std::string> seg;
    Piece(seg, 0, 0, 1, 0);  // A
    Piece(seg, 2, 0, 1, 0);  // B, drawn towards A
    EXPECT_EQ(ChainPieces(seg, Settings()),
              Framed({Line(0, 0), Line(1, 0), Line(1, 0), "G01  X2.0000 Y0.0000 "}));
}

TEST(ChainPieces, PathsComeInTheOrderOfTheirFirstPieces) {
    std::vector<std::string> seg;
    Piece(seg, 50, 50, 60, 50);  // B, far away
    Piece(seg, 0, 0, 1, 0);      // A
    Piece(seg, 1, 0, 1, 1);      // C continues A
    EXPECT_EQ(ChainPieces(seg, Settings()),
              Framed({Line(50, 50), Line(60, 50), "M05 ", "M05 ", "M03 ", "(LEAD) ", Line(0, 0), Line(1, 0),
                      Line(1, 0), Line(1, 1)}));
}

TEST(ChainPieces, PieceBeforeTheOneItContinuesJoinsInTheNextPass) {
    std::vector<std::string> seg;
    Piece(seg, 0, 0, 1, 0);  // first
    Piece(seg, 2, 0, 3, 0);  // continues the third piece, comes before it
    Piece(seg, 1, 0, 2, 0);
    EXPECT_EQ(ChainPieces(seg, Settings()),
              Framed({Line(0, 0), Line(1, 0), Line(1, 0), Line(2, 0), Line(2, 0), Line(3, 0)}));
}

TEST(ChainPieces, FileOrderWinsOverNearness) {
    std::vector<std::string> seg;
    Piece(seg, 0, 0, 1, 0);
    Piece(seg, 5, 5, 1.004, 0);  // touches at its end (0.004 away), first in the file
    Piece(seg, 1, 0, 7, 7);      // touches exactly at its start, later
    // The earlier piece, turned round.
    EXPECT_EQ(SecondPiece(seg), (std::vector<std::string>{Line(1, 0), "G01  X5.0000 Y5.0000 "}));
}

TEST(ChainPieces, PieceTouchingWithBothEndsJoinsAtItsStart) {
    std::vector<std::string> seg;
    Piece(seg, 0, 0, 1, 0);
    Piece(seg, 1.001, 0, 1.002, 0);
    EXPECT_EQ(SecondPiece(seg), (std::vector<std::string>{Line(1, 0), Line(1.002, 0)}));
}

TEST(ChainPieces, ToleranceIsTheSumOfAxisDistancesAndIncludesItsEdge) {
    auto joined = [](double dx, double dy) {
        std::vector<std::string> seg;
        Piece(seg, -1, 0, 0, 0);
        Piece(seg, dx, dy, 1, 1);
        return Count(ChainPieces(seg, Settings(0.005)), "M03 ") == 1;
    };
    EXPECT_TRUE(joined(0.004, 0.0));
    EXPECT_TRUE(joined(0.005, 0.0));    // exactly the tolerance
    EXPECT_TRUE(joined(0.0025, 0.0025));
    EXPECT_FALSE(joined(0.003, 0.003));  // 0.006 along the axes, 0.0042 straight
    EXPECT_FALSE(joined(0.0051, 0.0));
}

TEST(ChainPieces, JoinedStartRepeatsThePathEndSoTheGapDisappears) {
    std::vector<std::string> seg;
    Piece(seg, 0, 0, 1, 0);
    Piece(seg, 1.003, 0.001, 2, 0);
    EXPECT_EQ(SecondPiece(seg), (std::vector<std::string>{Line(1, 0), Line(2, 0)}));
}

TEST(ChainPieces, TurnedArcGetsTheOtherArcCodeAndKeepsItsCentre) {
    std::vector<std::string> seg;
    Piece(seg, 0, 0, 1, 0);
    seg.push_back(Line(3, 0));
    seg.push_back(Arc(3, 1, 0, 2, 0));  // half circle about (2, 0) ending at the path end
    EXPECT_EQ(SecondPiece(seg)[1], "G02  X3.0000 Y0.0000 I2.0000 J0.0000 ");
}

TEST(ChainPieces, ZSeparatesPointsOnlyWhenIncluded) {
    std::vector<std::string> seg = {LineZ(0, 0, 0), LineZ(1, 0, 0), LineZ(1, 0, -5), LineZ(2, 0, -5)};
    EXPECT_EQ(Count(ChainPieces(seg, Settings(0.005, false)), "M03 "), 1u);
    EXPECT_EQ(Count(ChainPieces(seg, Settings(0.005, true)), "M03 "), 2u);
}

// ---- Bad input

TEST(ChainPiecesBadInput, HundredThousandCoincidentPointsMakeOnePath) {
    std::vector<std::string> seg(200000, Line(3, 4));
    const PathAssemblySettings s = Settings();
    const std::vector<std::string> out = ChainPieces(seg, s);
    EXPECT_EQ(out.size(), 4u + 200000u + 2u);
    EXPECT_EQ(Count(out, "M03 "), 1u);
    EXPECT_EQ(CleanUpLines(DropCollinearPieces(out, s), s),
              (std::vector<std::string>{"G90 ", "G41 ", "M03 ", "(LEAD)", Line(3, 4), Line(3, 4), "M05 ", "M30 "}));
}

TEST(ChainPiecesBadInput, HundredThousandCopiesOfOneLineMakeOnePath) {
    std::vector<std::string> seg;
    for (int i = 0; i < 100000; ++i) Piece(seg, 0, 0, 1, 0);
    const std::vector<std::string> out = ChainPieces(seg, Settings());
    EXPECT_EQ(Count(out, "M03 "), 1u);
    EXPECT_EQ(out[out.size() - 3], "G01  X0.0000 Y0.0000 ");  // every other copy turned round
}

TEST(ChainPiecesBadInput, PiecesOfLengthZeroApartMakeAPathEach) {
    std::vector<std::string> seg;
    const int n = 100000;
    for (int i = 0; i < n; ++i) Piece(seg, (i * 7919) % n, i % 13, (i * 7919) % n, i % 13);
    const PathAssemblySettings s = Settings();
    const std::vector<std::string> out = ChainPieces(seg, s);
    EXPECT_EQ(Count(out, "M03 "), static_cast<std::size_t>(n));
    EXPECT_EQ(DropCollinearPieces(out, s).size(), out.size());
}

TEST(ChainPiecesBadInput, TextWithoutCoordinatesStillEndsFramed) {
    EXPECT_EQ(ChainPieces({}, Settings()), Framed({"", ""}));
    const std::vector<std::string> junk = {"(NOTE)", "", "M08", "garbage %%%", "X", "G01 Y1e999 "};
    const std::vector<std::string> out = ChainPieces(junk, Settings());
    EXPECT_EQ(out.front(), "G90 ");
    EXPECT_EQ(out.back(), "M30");
    EXPECT_EQ(out, ChainPiecesPassLoop(junk, Settings()));
    // An odd last line is a piece with an empty end.
    EXPECT_EQ(ChainPieces({Line(0, 0), Line(1, 0), Line(1, 0)}, Settings()),
              Framed({Line(0, 0), Line(1, 0), Line(1, 0), ""}));
}

TEST(ChainPiecesBadInput, NegativeToleranceJoinsNothingAndHugeJoinsInFileOrder) {
    std::vector<std::string> seg;
    Piece(seg, 0, 0, 1, 0);
    Piece(seg, 1, 0, 2, 0);
    Piece(seg, 900, 900, 901, 900);
    EXPECT_EQ(Count(ChainPieces(seg, Settings(-1.0)), "M03 "), 3u);
    EXPECT_EQ(Count(ChainPieces(seg, Settings(0.0)), "M03 "), 2u);
    EXPECT_EQ(Count(ChainPieces(seg, Settings(1e30)), "M03 "), 1u);
    EXPECT_EQ(ChainPieces(seg, Settings(1e30)), ChainPiecesPassLoop(seg, Settings(1e30)));
}

// ---- CrunchLines ("Line comp")

namespace {
PathAssemblySettings LineComp(double degrees = 0.5) {
    PathAssemblySettings s = Settings();
    s.vectorErrDegrees = degrees;
    return s;
}
}  // namespace

TEST(DropCollinearPieces, CollinearRunIsCoveredByTheNextStartLine) {
    std::vector<std::string> seg;
    Piece(seg, 0, 0, 1, 0);   // A
    Piece(seg, 1, 0, 2, 0);   // B
    Piece(seg, 2, 0, 3, 0);   // C
    Piece(seg, 3, 0, 3, 1);   // D, a corner
    const PathAssemblySettings s = LineComp();
    EXPECT_EQ(DropCollinearPieces(ChainPieces(seg, s), s), Framed({Line(0, 0), Line(1, 0), Line(3, 0), Line(3, 1)}));
}

TEST(DropCollinearPieces, BendWithinVectorErrIsDroppedBeyondItKept) {
    std::vector<std::string> seg;
    Piece(seg, 0, 0, 10, 10);
    Piece(seg, 10, 10, 20, 20.05);  // 0.14 degrees off
    Piece(seg, 20, 20.05, 20, 30);
    const PathAssemblySettings s = LineComp(0.5f);
    EXPECT_EQ(DropCollinearPieces(ChainPieces(seg, s), s).size(), 4u + 4u + 2u);
    EXPECT_EQ(DropCollinearPieces(ChainPieces(seg, s), LineComp(0.1f)).size(), 4u + 6u + 2u);
}

TEST(DropCollinearPieces, DroppedPiecesEndingAPathStillReachItsEnd) {
    std::vector<std::string> seg;
    Piece(seg, 0, 0, 1, 0);
    Piece(seg, 1, 0, 2, 0);
    Piece(seg, 2, 0, 3, 0);
    Piece(seg, 50, 50, 50, 60);  // the next path
    const PathAssemblySettings s = LineComp();
    const std::vector<std::string> out = DropCollinearPieces(ChainPieces(seg, s), s);
    EXPECT_EQ(out, Framed({Line(0, 0), Line(1, 0), Line(3, 0), Line(3, 0), "M05 ", "M05 ", "M03 ", "(LEAD) ",
                           Line(50, 50), Line(50, 60)}));
    // The same at the end of the program; the clean-up removes the repeat.
    seg.resize(6);
    const std::vector<std::string> last = CleanUpLines(DropCollinearPieces(ChainPieces(seg, s), s), s);
    EXPECT_EQ(last, (std::vector<std::string>{"G90 ", "G41 ", "M03 ", "(LEAD)", Line(0, 0), Line(1, 0), Line(3, 0),
                                              "M05 ", "M30 "}));
}

TEST(DropCollinearPieces, ArcWhoseChordContinuesTheLineIsKept) {
    std::vector<std::string> seg;
    Piece(seg, 0, 0, 1, 0);
    seg.push_back(Line(1, 0));
    seg.push_back(Arc(2, 3, 0, 2, 0));  // half circle from (1, 0) to (3, 0)
    const PathAssemblySettings s = LineComp();
    const std::vector<std::string> chained = ChainPieces(seg, s);
    EXPECT_EQ(DropCollinearPieces(chained, s), chained);
}

// ---- RemoveDup2

TEST(CleanUpLines, WordsAreReorderedAndRepeatsRemoved) {
    const PathAssemblySettings s = Settings();
    EXPECT_EQ(CleanUpLines({"G01 X1.0000 Y2.0000", "G01  X1.0000  Y2.0000", "Y3 M7 X1 G01 N5 F20"}, s),
              (std::vector<std::string>{"G01 X1.0000 Y2.0000 ", "G01 M7 N5 X1 Y3 F20"}));
    // A bare point repeating the previous one goes; another point stays.
    EXPECT_EQ(CleanUpLines({"G01 X1 Y2", "X1 Y2", "X1 Y3"}, s),
              (std::vector<std::string>{"G01 X1 Y2 ", "X1 Y3 "}));
}

TEST(CleanUpLines, LineEndingWhereAnArcEndedIsRemoved) {
    const PathAssemblySettings s = Settings();
    EXPECT_EQ(CleanUpLines({"G02 X1.0000 Y2.0000 I0 J0", "G00 X1.0000 Y2.0000"}, s),
              (std::vector<std::string>{"G02 X1.0000 Y2.0000 I0 J0 "}));
    EXPECT_EQ(CleanUpLines({"G01 X1.0000 Y2.0000", "G00 X1.0000 Y2.0000"}, s),
              (std::vector<std::string>{"G01 X1.0000 Y2.0000 ", "G00 X1.0000 Y2.0000 "}));
}

TEST(CleanUpLines, RModeKeepsROtherwiseTheCentre) {
    PathAssemblySettings s = Settings();
    const std::vector<std::string> arc = {"G03 X1 Y2 I3 J4 K5 R6"};
    EXPECT_EQ(CleanUpLines(arc, s), (std::vector<std::string>{"G03 X1 Y2 I3 J4 K5 "}));
    s.rMode = true;
    EXPECT_EQ(CleanUpLines(arc, s), (std::vector<std::string>{"G03 X1 Y2 R6 "}));
}

TEST(CleanUpLines, BlankLinesVanishAndResetTheComparison) {
    const PathAssemblySettings s = Settings();
    EXPECT_EQ(CleanUpLines({" ", "", "G90 G40 G17", "   ", "G90 G40 G17"}, s),
              (std::vector<std::string>{"G90 G40G17", "G90 G40G17"}));
}

TEST(CleanUpLines, OfThreeEqualLinesTheFirstAndThirdStay) {
    const PathAssemblySettings s = Settings();
    EXPECT_EQ(CleanUpLines({"M05", "M05", "M05"}, s), (std::vector<std::string>{"M05 ", "M05 "}));
}

// ---- Pass files

TEST(PassFiles, SingleLineBecomesTheNineLineProgram) {
    Folder f;
    f.write(PassFile::Segment, {"G01 X0.0000 Y0.0000 ", "G01 X10.0000 Y0.0000 "});
    const PathAssemblySettings s = Settings();
    ASSERT_TRUE(SORTOUT3(f.path(), s).ok);
    ASSERT_TRUE(CrunchLines(f.path(), s).ok);

    // The program head and tail, as the import adds them between the passes.
    std::vector<std::string> lines;
    ASSERT_TRUE(SetupMyFile(f.path(), lines).ok);
    DxfImportSettings d;
    d.codes = s.codes;
    PlaneCodesResult planes = AddPlaneCodes2(lines, d);
    ASSERT_TRUE(planes.status.ok);
    ASSERT_TRUE(WritePassOutput(f.path(), planes.lines).ok);

    ASSERT_TRUE(RemoveDup2(f.path(), s).ok);
    EXPECT_EQ(f.read(PassFile::NewFile),
              (std::vector<std::string>{"%", "G90 ", "G41 ", "M03 ", "(LEAD)", "G01 X0.0000 Y0.0000 ",
                                        "G01 X10.0000 Y0.0000 ", "M05 ", "M30 "}));
    EXPECT_EQ(f.sortedEntries(), (std::vector<std::string>{"DXF1.$$$", "NEWFILE.$$$"}));
    ASSERT_TRUE(DeletePassFiles(f.path()).ok);
    EXPECT_TRUE(f.sortedEntries().empty());
}

// A square drawn out of order (one side 0.004 short, the top arc and the
// left side drawn the other way) and a separate line; the expected files are
// checked by hand: the square closes through (10,0) (10,10), the arc turned
// to G02 about (5,10), back to (0,0); the line is a second path.
TEST(PassFiles, ShuffledSquareBecomesOneClosedPath) {
    Folder f;
    auto fixture = [](const char* name) {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(test::TestData(name), bytes).ok) << name;
        return SplitLines(bytes);
    };
    f.write(PassFile::Segment, fixture("path_square_segment.txt"));
    const PathAssemblySettings s = Settings();
    ASSERT_TRUE(SORTOUT3(f.path(), s).ok);
    EXPECT_EQ(f.read(PassFile::NewFile), fixture("path_square_sorted.txt"));
    ASSERT_TRUE(RemoveDup2(f.path(), s).ok);
    EXPECT_EQ(f.read(PassFile::NewFile), fixture("path_square_program.txt"));
}

TEST(PassFiles, DeleteMyFileMatchesAnyLetterCaseAndNothingElse) {
    Folder f;
    for (const char* name : {"DXF1.$$$", "newfile.$$$", "Unused.$$$", "NEWDXF.$$$", "TEMP.$$$", "part.nc"})
        f.write(name, {"x"});
    EXPECT_TRUE(DeleteMyFile(f.path(), "dxf1.$$$").ok);
    EXPECT_EQ(f.sortedEntries().size(), 5u);
    EXPECT_TRUE(DeletePassFiles(f.path()).ok);
    EXPECT_EQ(f.sortedEntries(), (std::vector<std::string>{"part.nc"}));
    EXPECT_TRUE(DeleteMyFile(f.path() + "/gone", "dxf1.$$$").ok);  // no folder: nothing to delete
}

TEST(PassFiles, RotationWithoutOutputKeepsTheInputAndSaysSo) {
    Folder f;
    f.write(PassFile::Segment, {"A", "B"});
    std::vector<std::string> lines = {"stale"};
    const FileStatus st = SetupMyFile(f.path(), lines);
    EXPECT_FALSE(st.ok);
    EXPECT_EQ(st.message.rfind(kRenameProblem, 0), 0u) << st.message;
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(f.read(PassFile::Segment), (std::vector<std::string>{"A", "B"}));
}

TEST(PassFiles, ScratchFolderRemovedMidImportFailsEveryPassCleanly) {
    const PathAssemblySettings s = Settings();
    std::string path;
    {
        Folder f;
        path = f.path();
        EXPECT_FALSE(SORTOUT3(path, s).ok);  // no SegmentFile yet
        f.write(PassFile::Segment, {Line(0, 0), Line(1, 0)});
        ASSERT_TRUE(SORTOUT3(path, s).ok);
    }  // the folder is gone
    const FileStatus crunch = CrunchLines(path, s);
    EXPECT_FALSE(crunch.ok);
    EXPECT_EQ(crunch.message.rfind(kRenameProblem, 0), 0u);
    EXPECT_FALSE(RemoveDup2(path, s).ok);
    const FileStatus sort = SORTOUT3(path, s);
    EXPECT_FALSE(sort.ok);
    EXPECT_NE(sort.message.find("DXF1.$$$"), std::string::npos) << sort.message;
    EXPECT_FALSE(WritePassOutput(path, {"x"}).ok);
    EXPECT_TRUE(DeletePassFiles(path).ok);
}

// Nested closed paths in shuffled order and random directions: squares of
// sides 80, 60, 40 and 20 about one centre (a side a piece) and a circle of
// radius 5 inside them, depths 0 to 4. Chained for left compensation, every
// path inside an even number of others runs clockwise and every other one
// counter-clockwise (judged by the shoelace of its points and the circle's
// arc code, as the control reads the words X and Y, with and without the X Y
// swap); the program holds the same segments as the drawing; and the points
// taken from the chain or read again from the lines turn the same paths.
TEST(OrientClosedPaths, NestedPathsAlternateSoLeftCompensationCutsOutsideOutlinesAndInsideHoles) {
    auto value = [](const std::string& line, char letter) {
        const std::size_t p = line.find(letter);
        return p == std::string::npos ? 0.0 : std::stod(line.substr(p + 1));
    };
    auto segment = [](double x1, double y1, double x2, double y2) {  // either direction alike
        if (std::make_pair(x2, y2) < std::make_pair(x1, y1)) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        return std::array<double, 4>{x1, y1, x2, y2};
    };
    for (bool swap : {false, true}) {
        for (unsigned seed = 1; seed <= 12; ++seed) {
            SCOPED_TRACE("seed " + std::to_string(seed) + (swap ? ", X Y swapped" : ""));
            std::mt19937 rng(seed);
            std::vector<std::vector<std::string>> pieces;
            std::vector<std::array<double, 4>> drawn;
            for (double h : {40.0, 30.0, 20.0, 10.0}) {
                const double c[4][2] = {{-h, -h}, {h, -h}, {h, h}, {-h, h}};
                for (int k = 0; k < 4; ++k) {
                    const double* a = c[k];
                    const double* b = c[(k + 1) % 4];
                    if (rng() % 2) std::swap(a, b);
                    pieces.push_back({Line(a[0], a[1]), Line(b[0], b[1])});
                    drawn.push_back(segment(a[0], a[1], b[0], b[1]));
                }
            }
            pieces.push_back({Line(5, 0), Arc(rng() % 2 ? 2 : 3, 5, 0, 0, 0)});
            std::shuffle(pieces.begin(), pieces.end(), rng);
            std::vector<std::string> seg;
            for (const auto& p : pieces) seg.insert(seg.end(), p.begin(), p.end());

            PathAssemblySettings s = Settings(0.005, false, swap);
            s.orientFor = KerfSide::Left;
            std::vector<PathSpan> paths;
            std::vector<std::string> out = ChainPieces(seg, s, nullptr, &paths);
            ASSERT_EQ(paths.size(), 5u);

            std::vector<std::array<double, 4>> cut;
            for (const PathSpan& span : paths) {
                double area = 0, size = 0;
                for (std::size_t k = span.begin; k + 1 < span.end; k += 2) {
                    const double x1 = value(out[k], 'X'), y1 = value(out[k], 'Y');
                    const double x2 = value(out[k + 1], 'X'), y2 = value(out[k + 1], 'Y');
                    area += x1 * y2 - x2 * y1;
                    size = std::max({size, std::fabs(x1), std::fabs(y1)});
                    if (out[k + 1].rfind("G0", 0) == 0 && out[k + 1][2] != '1') {
                        area = out[k + 1][2] == '3' ? 1 : -1;  // the circle: its code is its direction
                    } else {
                        cut.push_back(segment(x1, y1, x2, y2));
                    }
                }
                const int depth = size == 40 ? 0 : size == 30 ? 1 : size == 20 ? 2 : size == 10 ? 3 : 4;
                EXPECT_EQ(area > 0, depth % 2 == 1) << "path of size " << size << ", depth " << depth;
            }
            std::sort(drawn.begin(), drawn.end());
            std::sort(cut.begin(), cut.end());
            EXPECT_EQ(cut, drawn);

            std::vector<std::string> again = ChainPieces(seg, [&] {
                PathAssemblySettings plain = s;
                plain.orientFor = KerfSide::None;
                return plain;
            }());
            OrientClosedPaths(again, paths, s, KerfSide::Left);  // points read from the lines
            EXPECT_EQ(again, out);
        }
    }
}
