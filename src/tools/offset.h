// Cutter offset: a contour of the program shifted sideways by a signed
// distance d, written as new program lines.
//
// d < 0 shifts to the left of the direction of travel, d > 0 to the right
// (with X across to the right and Y up, the way G02 turns clockwise).
// Straight moves keep their direction and meet at mitred corners; arcs keep
// their centre and change their radius (clockwise r - d, counter-clockwise
// r + d). The program must be in absolute coordinates (the caller refuses an
// incremental one).
//
// The work is done on a point table, one row per point of a segment, built
// and worked over by the stages of `OffsetTable` in the order `OffsetAuto`
// runs them. Unset values are NaN: nothing computed from one is ever
// written, so no unset value reaches the result text.
#pragma once

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "text/axis_codes.h"
#include "text/gcode_words.h"

namespace tolva {

// The settings the offset reads, taken at the moment of use.
struct OffsetSettings {
    AxisCodes codes;          // letters and codes in force (`Setaxis`)
    bool Bridgeport = false;  // I J are offsets from the arc's start point
    bool SwapXY = false;      // result lines rebuilt by OrderWordsMLast
    int decimals = 3;         // DecimalPlaces of the numbers written
};

class MachineSettings;
// The settings as they are now: the codes in force, "Incremental  Type I J",
// "Swap X Y " and the decimals of "Decimal Places" (3 when it is not a whole
// number from 0 to 18).
OffsetSettings ReadOffsetSettings(MachineSettings& settings);

// The offset field's text as d: a number, or -0.125 with `repaired` set when
// the text is not one (the field then shows "-0.125").
float ReadOffsetValue(std::string_view text, bool& repaired);
inline constexpr const char* kDefaultOffsetText = "-0.125";

// What the window shows after a run.
struct OffsetReport {
    bool anyArc = false;         // some contour held an arc
    bool radiusWarning = false;  // some arc's radius was below |d|
    long double minRadius = 0;   // smallest arc radius, when anyArc
    // " Offsetting" or "Warning Offset > Arc Radius"; empty when no arc was
    // offset (the caption stays as it was).
    std::string Caption() const;
    // "Min Rad = " + the smallest radius, "Min Rad = 0" without arcs.
    std::string MinRadText(int decimals) const;
};

// Motion kinds of the table's G column, as the label table spells them.
inline constexpr int kMotionRapid = 0, kMotionLine = 1, kMotionCw = 2, kMotionCcw = 3;

// The motion code a line holds: Arc Ccw (label row 3) before Arc Cw (row 2)
// before Line (row 1) before rapid (row 27), as the interpreter lets a later
// arc code win; -1 when it holds none. A code is found as `HasCode` finds it
// (whole codes: "G0" is not in "G01").
int MotionCodeOf(std::string_view line, const AxisCodes& codes);

// The interpreter's view of the program before a line: where the tool is and
// which motion is in force. Advances line by line; asked for an earlier line
// it starts again from the top.
class ProgramPosition {
public:
    explicit ProgramPosition(const OffsetSettings& s);
    void AdvanceTo(const std::vector<std::string>& lines, int line);
    // Applies one line's codes and words; returns the words read.
    void Take(std::string_view line);
    const WordRead* Words() const { return words_; }  // X Y Z I J K R G of the last line taken
    int motionCode = -1;     // the last line's own motion code
    long double x = 0, y = 0, z = 0;
    int motion = -1;         // motion in force, -1 unknown

private:
    const OffsetSettings& s_;
    WordReader reader_;
    WordRead words_[8];
    int next_ = 0;
};

class OffsetTable {
public:
    // Columns of a row.
    enum Col : int {
        Kind = 0, X = 1, Y = 2, Z = 3, I = 4, J = 5, K = 6, R = 7, Dir = 8, Half = 9,
        NX = 10, NY = 11, NZ = 12, NI = 13, NJ = 14, NK = 15, NR = 16, G = 17, Src = 18,
        // A straight move written before this row's own line (a corner join).
        PreX = 19, PreY = 20,
        // The row's motion as loaded; the G column loses it where a row writes nothing.
        Motion = 21,
        kColumns = 22
    };
    // Kinds (column 0).
    static constexpr long double kStraightEnd = -1, kArcStart = -6, kAfterLine = 0, kAfterArc = -4;
    static constexpr long double kOpen = 0, kClosed = 5;
    using Row = std::array<long double, kColumns>;
    static constexpr long double kUnset = std::numeric_limits<long double>::quiet_NaN();
    static bool IsSet(long double v) { return !std::isnan(v); }

    OffsetTable(const OffsetSettings& s, float d) : s_(s), d_(d) {}

    // The stages of one contour, in this order.
    // Empties the table (rows are added as points are loaded).
    void CreateArray();
    // Points of lines first..last (a line without an X word gives none; the
    // contour also ends before a cut-off or program-end line, and when
    // `last` has no X word the next line with one closes it). `pos` is the
    // program before `first`. Returns the number of points.
    int Load_Array(const std::vector<std::string>& lines, int first, int last, ProgramPosition pos);
    void Arcs2(OffsetReport& report);
    void Loopback2();
    void LastLine();
    void LineVect2();
    void OuterAngle2();
    void RemoveLines();
    // Where a straight move and an arc, or two arcs, meet at a corner (and at
    // the start point of a closed contour), the shifted pieces are joined:
    // where they cross on the inside of the corner, by an arc of radius |d|
    // about the corner on the outside.
    void JoinCorners();
    void LoadGridBack();
    // Appends a line holding one blank, the result lines, and one more.
    void CopyBack(std::vector<std::string>& out);

    int Rows() const { return static_cast<int>(rows_.size()); }
    const Row& At(int r) const { return rows_[static_cast<std::size_t>(r)]; }
    bool Closed() const { return !rows_.empty() && rows_[0][Kind] == kClosed; }

private:
    Row& row(int r);
    static Row unsetRow();
    // Where the segment starting at row s is at point (px, py): its unit
    // direction of travel; and its centre and new radius when it is an arc.
    struct Piece {
        bool arc = false;
        long double cx = 0, cy = 0, rho = 0;  // arc: centre, shifted radius
        long double tx = 0, ty = 0;           // unit tangent of travel at the joint
    };
    Piece piece(int s, long double px, long double py) const;
    void centreOf(int s, long double& cx, long double& cy) const;
    void joinAt(int in, int out, bool seam);

    const OffsetSettings& s_;
    float d_;
    std::vector<Row> rows_;
    int points_ = 0;
    int lastPointRow_ = 0;
    // Texts of the cells CopyBack writes, by row (LoadGridBack).
    struct GridRow {
        std::string cell[7];  // NX NY NZ NI NJ NK NR
        std::string preX, preY;
        int g = -1, preG = -1;
    };
    std::vector<GridRow> grid_;
};

// "Auto": the highlighted block (SelStartLine, SelLineCount) when it covers
// at least two lines, otherwise every block from a cut-on line (label row 8)
// to the next cut-off line (row 9), each offset by d. The result lines of
// every contour, each contour framed by lines holding one blank.
std::vector<std::string> OffsetAuto(const std::vector<std::string>& lines, int selStartLine, int selLineCount,
                                    float d, const OffsetSettings& s, OffsetReport& report);

// The "Operations" menu on the program's lines; `block` is the highlighted
// block as (SelStartLine, SelLineCount).
// "Copy to File end": before the last line (appended to an empty program).
void InsertBeforeLastLine(std::vector<std::string>& program, const std::vector<std::string>& result);
// "Insert above": before the line that precedes the block's first line, at
// the top when that would be before the first line.
void InsertAboveBlock(std::vector<std::string>& program, const std::vector<std::string>& result, int selStartLine);
// "Insert Below": directly after the block's last line (at the end when the
// block reaches past it).
void InsertBelowBlock(std::vector<std::string>& program, const std::vector<std::string>& result, int selStartLine,
                      int selLineCount);

}  // namespace tolva
