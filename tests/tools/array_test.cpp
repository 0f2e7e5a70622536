// Arrays of a program: LinuxCNC's rs274 reads the arrayed program and must
// see every copy's moves, in order, as the original's translated by the
// increments, and one program end after the last copy.
#include "tools/array.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <random>
#include <string>
#include <vector>

#include "../plot/rs274_oracle.h"
#include "settings/label_table.h"
#include "text/compress.h"
#include "text/label_code.h"

using namespace tolva;
using Lines = std::vector<std::string>;
using tolva::test::CanonMove;

namespace {

AxisCodes MillCodes(const char* fileStart = "%", const char* fileEnd = "M30") {
    LabelTable t;
    const std::pair<int, const char*> cells[] = {
        {LabelRow::FileStart, fileStart}, {LabelRow::ArcCw, "G02"},      {LabelRow::ArcCcw, "G03"},
        {LabelRow::Absolute, "G90"},      {LabelRow::Incremental, "G91"}, {LabelRow::FileEnd, fileEnd},
        {LabelRow::NLetter, "N"},         {LabelRow::RLetter, "R"},       {LabelRow::ILetter, "I"},
        {LabelRow::JLetter, "J"},         {LabelRow::KLetter, "K"},       {LabelRow::XLetter, "X"},
        {LabelRow::YLetter, "Y"},         {LabelRow::ZLetter, "Z"}};
    for (auto& [row, code] : cells) t.SetCell(1, row, code);
    AxisCodes c = MakeAxisCodes(t, false, false);
    c.xSign = c.ySign = c.zSign = 1;
    return c;
}

ModifierSettings Four() {
    ModifierSettings s;
    s.decimals = 4;
    return s;
}

ArrayResult run(Lines& lines, const ArraySteps& steps, RecordingHost* host = nullptr,
                const AxisCodes& codes = MillCodes()) {
    RecordingHost own;
    return ArrayProgram(lines, codes, Four(), steps, host ? *host : own);
}

// A slot 4 long and 2 wide with round ends, cut at Z-1: lines, arcs with
// absolute centres, spindle on and off, a File End line with a move on it.
const Lines kPart = {
    "G17 G21 G90 G90.1 F100",
    "N10 G00 X0 Y0 Z5",
    "M03 S1000",
    "G01 Z-1",
    "G01 X4 Y0",
    "G03 X4 Y2 I4 J1",
    "G01 X0 Y2",
    "G03 X0 Y0 I0 J1",
    "G00 Z5",
    "M05",
    "G00 X-1 Y-1 M30",
};

// The moves of `part` translated by (dx, dy), X and Y, centres too.
std::vector<CanonMove> moved(const std::vector<CanonMove>& part, double dx, double dy) {
    std::vector<CanonMove> out = part;
    for (CanonMove& m : out) {
        if (m.kind == CanonMove::SpindleOn || m.kind == CanonMove::SpindleOff) continue;
        m.x += dx, m.y += dy, m.cx += dx, m.cy += dy;
    }
    return out;
}

void expectSameMoves(const std::vector<CanonMove>& want, const std::vector<CanonMove>& got) {
    ASSERT_EQ(want.size(), got.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE("move " + std::to_string(i));
        EXPECT_EQ(want[i].kind, got[i].kind);
        EXPECT_NEAR(want[i].x, got[i].x, 1e-6);
        EXPECT_NEAR(want[i].y, got[i].y, 1e-6);
        EXPECT_NEAR(want[i].z, got[i].z, 1e-6);
        if (want[i].kind == CanonMove::Arc) {
            EXPECT_NEAR(want[i].cx, got[i].cx, 1e-6);
            EXPECT_NEAR(want[i].cy, got[i].cy, 1e-6);
            EXPECT_EQ(want[i].turn, got[i].turn);
        }
    }
}

int fileEndLines(const Lines& lines, const std::string& code = "M30") {
    int n = 0;
    for (const std::string& l : lines) n += HasCode(l, code) ? 1 : 0;
    return n;
}

}  // namespace

// rs274 stops at the first M30: a File End line between copies would cut
// every later copy from its output.
TEST(ArrayOnRs274, EveryCopyIsThePartTranslatedAndTheProgramEndsOnceAtTheEnd) {
    // The whole part, and the part without its File End line (ended by M2
    // for rs274, whose spindle stop is then dropped): only the last part
    // keeps its File End line, the others have it emptied.
    std::vector<CanonMove> part, body;
    ASSERT_NO_FATAL_FAILURE(tolva::test::Rs274(kPart, part));
    Lines bodyLines(kPart.begin(), kPart.end() - 1);
    bodyLines.push_back("M2");
    ASSERT_NO_FATAL_FAILURE(tolva::test::Rs274(bodyLines, body));
    ASSERT_EQ(part.size(), 11u);
    ASSERT_EQ(body.size(), 10u);
    ASSERT_EQ(body.back().kind, CanonMove::SpindleOff);
    body.pop_back();
    struct Case {
        const char* what;
        ArraySteps steps;
        std::vector<std::pair<double, double>> offsets;  // of the parts, in program order
    };
    const Case cases[] = {
        {"column up, 3 by 2.5", {{Modifier::Up, 3, 2.5}}, {{0, 0}, {-2.5, 0}, {-5, 0}}},
        {"row right, 4 by 150 (beyond the slide field's 100)",
         {{Modifier::Right, 4, 150}},
         {{0, 0}, {0, 150}, {0, 300}, {0, 450}}},
        {"grid up right, 2 x 3: six parts",
         {{Modifier::Up, 2, 4.2}, {Modifier::Right, 3, 2.2}},
         {{0, 0}, {-4.2, 0}, {0, 2.2}, {-4.2, 2.2}, {0, 4.4}, {-4.2, 4.4}}},
        {"grid down left, 3 x 2", {{Modifier::Down, 3, 5}, {Modifier::Left, 2, 3}},
         {{0, 0}, {5, 0}, {10, 0}, {0, -3}, {5, -3}, {10, -3}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Lines lines = kPart;
        const ArrayResult r = run(lines, c.steps);
        ASSERT_FALSE(r.refused) << r.message;
        EXPECT_EQ(fileEndLines(lines), 1);
        EXPECT_TRUE(HasCode(lines.back(), "M30"));
        std::vector<CanonMove> want, got;
        for (std::size_t k = 0; k < c.offsets.size(); ++k) {
            const auto [dx, dy] = c.offsets[k];
            const std::vector<CanonMove> m = moved(k + 1 < c.offsets.size() ? body : part, dx, dy);
            want.insert(want.end(), m.begin(), m.end());
        }
        ASSERT_NO_FATAL_FAILURE(tolva::test::Rs274(lines, got));
        expectSameMoves(want, got);
    }
}

TEST(Array, QuantityThreeByTwoPointFiveAppendsTwoCopiesAndMovesTheEnd) {
    Lines lines = {"%", "G00 X0 Y0", "G01 X4 Y0", "N40 G01 X4 Y2", "M30"};
    run(lines, {{Modifier::Down, 3, 2.5}});
    EXPECT_EQ(lines, (Lines{"%", "G00 X0 Y0", "G01 X4 Y0", "N40 G01 X4 Y2", "",
                            "", "G00 X2.5000 Y0.0000", "G01 X6.5000 Y0.0000", "G01 X6.5000 Y2.0000", "",
                            "", "G00 X5.0000 Y0.0000", "G01 X9.0000 Y0.0000", "G01 X9.0000 Y2.0000", "M30"}));
}

TEST(Array, CopiesGoBeforeTheProgramEndAndWhatFollowsIt) {
    Lines lines = {"%", "G00 X0 Y0", "G01 X4 Y0", "M30", "%"};
    run(lines, {{Modifier::Down, 2, 2.5}});
    EXPECT_EQ(lines, (Lines{"%", "G00 X0 Y0", "G01 X4 Y0", "", "", "G00 X2.5000 Y0.0000", "G01 X6.5000 Y0.0000",
                            "M30", "%"}));
    // One part: nothing changes.
    lines = {"G01 X4 Y0", "M30", "%"};
    run(lines, {{Modifier::Down, 1, 2.5}});
    EXPECT_EQ(lines, (Lines{"G01 X4 Y0", "M30", "%"}));
    // No File End line: it is put before the closing File Start line.
    lines = {"%", "G01 X4 Y0", "%"};
    run(lines, {{Modifier::Down, 2, 1}});
    EXPECT_EQ(lines, (Lines{"%", "G01 X4 Y0", "", "G01 X5.0000 Y0.0000", "M30", "%"}));
}

TEST(Array, TinyProgramsGiveOneCopyPerPartNotCopiesOfCopies) {
    for (const Lines& tiny : {Lines{"G01 X1 Y1"}, Lines{"G01 X1 Y1", "G01 X2 Y1"}}) {
        SCOPED_TRACE(tiny.size());
        Lines lines = tiny;
        run(lines, {{Modifier::Right, 3, 10}});
        ASSERT_EQ(lines.size(), 3 * tiny.size() + 1);
        EXPECT_EQ(lines[tiny.size()], "G01 X1.0000 Y11.0000");
        EXPECT_EQ(lines[2 * tiny.size()], "G01 X1.0000 Y21.0000");
        EXPECT_EQ(lines.back(), "M30");
    }
}

TEST(Array, AnIncrementalProgramOrAHugeArrayIsRefusedAndLeftAlone) {
    const Lines incremental = {"G91", "G01 X1 Y1", "M30"};
    Lines lines = incremental;
    RecordingHost host;
    ArrayResult r = run(lines, {{Modifier::Up, 3, 1}}, &host);
    EXPECT_TRUE(r.refused);
    EXPECT_FALSE(r.undo.armed);
    EXPECT_EQ(lines, incremental);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].rfind("Line 2 ", 0), 0u) << host.messages[0];

    lines = kPart;
    r = run(lines, {{Modifier::Up, 999, 1}, {Modifier::Right, 999, 1}}, &host);
    EXPECT_TRUE(r.refused);
    EXPECT_EQ(lines, kPart);
    EXPECT_EQ(host.messages.back(), "The array would make more than 2000000 lines. Nothing was changed.");
}

// Over generated programs and arrays: one File End line, the last; the
// expected line count; Undo Nest gives back the very program.
TEST(Array, UndoNestRestoresTheProgramExactlyWhateverItsEnd) {
    std::mt19937 rng(19);
    const Lines ends[] = {{"M30"}, {"G00 X0 Y0 M30"}, {}, {"M30", "%"}, {"M30", "(DONE)"}, {"M30", ""}};
    const char modes[] = {Modifier::Up, Modifier::Down, Modifier::Left, Modifier::Right};
    for (int trial = 0; trial < 200; ++trial) {
        Lines program;
        if (rng() % 2) program.push_back("%");
        const int moves = static_cast<int>(rng() % 5);
        for (int k = 0; k < moves; ++k)
            program.push_back("G01 X" + std::to_string(rng() % 50) + " Y" + std::to_string(rng() % 50));
        const Lines& end = ends[rng() % std::size(ends)];
        program.insert(program.end(), end.begin(), end.end());
        ArraySteps steps{{modes[rng() % 4], static_cast<int>(1 + rng() % 4), static_cast<double>(rng() % 300) / 4}};
        if (rng() % 2) steps.push_back({modes[rng() % 4], static_cast<int>(1 + rng() % 3), 7.5});
        SCOPED_TRACE(::testing::PrintToString(program) + " steps " + std::to_string(steps.size()));

        Lines lines = program;
        ArrayResult r = run(lines, steps);
        ASSERT_FALSE(r.refused);
        std::size_t parts = 1;
        for (const ArrayStep& s : steps) parts *= static_cast<std::size_t>(s.quantity);
        // The File End line is the last but for what followed it in the program.
        std::size_t tail = 0;
        while (tail < program.size() && !HasCode(program[program.size() - 1 - tail], "M30")) ++tail;
        if (tail == program.size())  // no File End line: the closing "%" lines
            for (tail = 0; tail < program.size() && program[program.size() - 1 - tail] == "%";) ++tail;
        const std::size_t body = parts * (program.size() - tail) + tail;
        EXPECT_TRUE(lines.size() == body || lines.size() == body + 1);
        EXPECT_EQ(fileEndLines(lines), 1);
        ASSERT_GT(lines.size(), tail);
        EXPECT_TRUE(HasCode(lines[lines.size() - 1 - tail], "M30"));
        EXPECT_TRUE(std::equal(program.end() - static_cast<std::ptrdiff_t>(tail), program.end(),
                               lines.end() - static_cast<std::ptrdiff_t>(tail)));

        RecordingHost host;
        if (lines.size() > program.size() + 1 && !program.empty()) {  // a copy edited: still undone
            lines[program.size()] += " (EDITED)";
            Lines edited = lines;
            edited[0] += " (EDITED)";  // the part edited: refused
            ArrayUndo keep = r.undo;
            EXPECT_EQ(UndoNest(edited, keep, host), UndoNestOutcome::ProgramChanged);
            EXPECT_EQ(host.messages, Lines{kUndoNestChangedText});
        }
        EXPECT_EQ(UndoNest(lines, r.undo, host), UndoNestOutcome::Undone);
        EXPECT_EQ(lines, program);
        EXPECT_EQ(UndoNest(lines, r.undo, host), UndoNestOutcome::NothingToUndo);
        EXPECT_EQ(lines, program);
    }
}
