// LinuxCNC's interpreter (rs274, package linuxcnc-uspace) runs the programs
// the offset writes: it refuses an arc whose end is not on its circle, and
// every end point of a cutting move it reports lies |d| from the contour.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../support/rs274_oracle.h"
#include "offset_path.h"
#include "settings/label_table.h"
#include "tools/offset.h"

using Lines = std::vector<std::string>;

namespace {

tolva::OffsetSettings Mill() {
    tolva::LabelTable t;
    const std::pair<int, const char*> cells[] = {{tolva::LabelRow::Line, "G01"}, {tolva::LabelRow::ArcCw, "G02"},
                                                 {tolva::LabelRow::ArcCcw, "G03"}, {tolva::LabelRow::Rapid, "G00"}};
    for (auto& [row, code] : cells) t.SetCell(1, row, code);
    const char* letters = "NRIJKXYZ";
    for (int i = 0; i < 8; ++i) t.SetCell(1, tolva::LabelRow::NLetter + i, std::string(1, letters[i]));
    tolva::OffsetSettings s;
    s.codes = tolva::MakeAxisCodes(t, false, false);
    s.decimals = 4;
    return s;
}

struct Rs274Ends {
    bool ok = false;
    std::string output;
    std::vector<PathPoint> ends;  // of STRAIGHT_FEED and ARC_FEED, in order
};

// The offset lines in a program rs274 reads: millimetres, arc centres
// absolute or, with `incrementalCentres`, from the arc's start.
Rs274Ends runRs274(const Lines& offset, bool incrementalCentres) {
    Lines program = {std::string("G17 G21 G90 ") + (incrementalCentres ? "G91.1" : "G90.1") + " F100"};
    program.insert(program.end(), offset.begin(), offset.end());
    program.push_back("M2");
    Rs274Ends run;
    std::vector<tolva::test::CanonMove> moves;
    run.ok = tolva::test::Rs274Run(program, moves, run.output);
    for (const auto& m : moves)
        if (m.kind == tolva::test::CanonMove::Feed || m.kind == tolva::test::CanonMove::Arc)
            run.ends.push_back(PathPoint{m.x, m.y});
    return run;
}

}  // namespace

TEST(OffsetOnRs274, EndPointsOfTheWrittenProgramsLieAtTheOffsetDistance) {
    struct Case {
        const char* what;
        Lines contour;
        Lines incremental;  // the same with centres from the arc's start
        float d;
    };
    const Case cases[] = {
        {"square, inside",
         {"G01 X0 Y0", "G01 X10 Y0", "G01 X10 Y10", "G01 X0 Y10", "G01 X0 Y0"},
         {"G01 X0 Y0", "G01 X10 Y0", "G01 X10 Y10", "G01 X0 Y10", "G01 X0 Y0"},
         -0.125f},
        {"D, inside", {"G01 X0 Y0", "G03 X0 Y20 I0 J10", "G01 X0 Y0"}, {"G01 X0 Y0", "G03 X0 Y20 I0 J10", "G01 X0 Y0"}, -0.5f},
        {"D, outside", {"G01 X0 Y0", "G03 X0 Y20 I0 J10", "G01 X0 Y0"}, {"G01 X0 Y0", "G03 X0 Y20 I0 J10", "G01 X0 Y0"}, 0.5f},
        {"line-arc-line, inside",
         {"G01 X0 Y0", "G01 X10 Y0", "G03 X10 Y10 I5 J5", "G01 X0 Y10"},
         {"G01 X0 Y0", "G01 X10 Y0", "G03 X10 Y10 I-5 J5", "G01 X0 Y10"},
         -0.25f},
        {"line-arc-line, outside",
         {"G01 X0 Y0", "G01 X10 Y0", "G03 X10 Y10 I5 J5", "G01 X0 Y10"},
         {"G01 X0 Y0", "G01 X10 Y0", "G03 X10 Y10 I-5 J5", "G01 X0 Y10"},
         0.25f},
        {"two arcs at a corner, outside",
         {"G01 X0 Y0", "G02 X10 Y0 I5 J-5", "G02 X20 Y0 I15 J-5"},
         {"G01 X0 Y0", "G02 X10 Y0 I5 J-5", "G02 X20 Y0 I5 J-5"},
         0.25f},
        {"two arcs at a corner, inside",
         {"G01 X0 Y0", "G02 X10 Y0 I5 J-5", "G02 X20 Y0 I15 J-5"},
         {"G01 X0 Y0", "G02 X10 Y0 I5 J-5", "G02 X20 Y0 I5 J-5"},
         -0.25f},
    };
    for (bool incremental : {false, true})
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (incremental ? ", centres from the start" : ""));
            tolva::OffsetSettings s = Mill();
            s.Bridgeport = incremental;
            const Lines& input = incremental ? c.incremental : c.contour;
            tolva::OffsetReport report;
            const Lines out = tolva::OffsetAuto(input, -1, static_cast<int>(input.size()), c.d, s, report);
            const Rs274Ends run = runRs274(out, incremental);
            ASSERT_TRUE(run.ok) << run.output;
            const Path contour = ReadPath(c.contour);
            ASSERT_GE(run.ends.size(), c.contour.size() - 1);
            for (const PathPoint& e : run.ends) {
                double dist = 1e300;
                for (const PathElement& ce : contour.elements) dist = std::min(dist, ce.DistanceTo(e));
                EXPECT_NEAR(dist, std::fabs(c.d), 1e-3) << e.x << " " << e.y;
            }
        }
}
