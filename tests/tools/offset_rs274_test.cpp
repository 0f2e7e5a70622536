// LinuxCNC's interpreter (rs274, package linuxcnc-uspace) runs the programs
// the offset writes: it refuses an arc whose end is not on its circle, and
// every end point of a cutting move it reports lies |d| from the contour.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../plot/rs274_oracle.h"
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

struct Rs274Run {
    bool ok = false;
    std::string output;
    std::vector<PathPoint> ends;  // of STRAIGHT_FEED and ARC_FEED, in order
};

// The offset lines in a program rs274 reads: millimetres, arc centres
// absolute or, with `incrementalCentres`, from the arc's start.
Rs274Run runRs274(const Lines& offset, bool incrementalCentres) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("tolva-rs274-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / "offset.ngc";
    {
        std::ofstream f(file);
        f << "G17 G21 G90 " << (incrementalCentres ? "G91.1" : "G90.1") << " F100\n";
        for (const std::string& l : offset) f << l << "\n";
        f << "M2\n";
    }
    Rs274Run run;
    const std::string cmd = tolva::test::Rs274Command(file.string());
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return run;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) run.output += buf;
    run.ok = ::pclose(p) == 0;
    std::filesystem::remove_all(dir);
    std::istringstream in(run.output);
    for (std::string line; std::getline(in, line);) {
        for (const char* kind : {"STRAIGHT_FEED(", "ARC_FEED("}) {
            const std::size_t at = line.find(kind);
            if (at == std::string::npos) continue;
            PathPoint pt;
            if (std::sscanf(line.c_str() + at + std::string(kind).size(), "%lf, %lf", &pt.x, &pt.y) == 2)
                run.ends.push_back(pt);
        }
    }
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
            const Rs274Run run = runRs274(out, incremental);
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
