// Cutter offset: a contour of the program shifted sideways by a signed
// distance d, written as new program lines.
//
// The offset works in the program's own geometry: X and Y are the words the
// program writes for X and Y, whatever letters "Swap X Y" puts on the plot's
// axes, and G02 turns clockwise seen with X to the right and Y up. A negative
// d shifts to the left of the direction of travel (where G41 puts the tool), a
// positive d to the right (G42), for straight moves and arcs alike.
//
// A contour starts where the tool stands before its block (where the cut-on
// takes effect) and runs through the block's moves; it is closed only when
// its last point is its first. Straight moves are moved parallel to
// themselves and arcs keep their centre and change their radius; where two
// shifted pieces cross they are trimmed to the crossing, a piece that
// vanishes (an edge or radius shorter than |d| on the inside) is dropped and
// its neighbours joined, outside corners between straight moves are mitred
// up to `kMitreLimit` |d| from the corner and rounded beyond that, and every
// other outside corner is rounded by an arc of radius |d| about it. Helical
// arcs keep their Z change. The program must be in absolute coordinates (the
// caller refuses an incremental one).
//
// Every result is measured against its contour before it is written: a
// contour whose offset would come nearer to it than |d|, stray from it, or
// cross itself is left out and named in `OffsetReport::refused`.
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
    // Contours left out of the result, each with a message naming its line.
    struct Refusal {
        int line = 0;  // index of the line named
        std::string message;
    };
    std::vector<Refusal> refused;
    // The messages of `refused`, one a line; empty when none.
    std::string RefusalText() const;
    // " Offsetting" or "Warning Offset > Arc Radius"; empty when no arc was
    // offset (the caption stays as it was).
    std::string Caption() const;
    // "Min Rad = " + the smallest radius, "Min Rad = 0" without arcs.
    std::string MinRadText(int decimals) const;
};

// Motion kinds, as the label table spells them.
inline constexpr int kMotionRapid = 0, kMotionLine = 1, kMotionCw = 2, kMotionCcw = 3;

// A mitre reaches at most this many |d| from its corner; sharper corners
// are rounded.
inline constexpr long double kMitreLimit = 4;

// The motion code a line holds: Arc Ccw (label row 3) before Arc Cw (row 2)
// before Line (row 1) before rapid (row 27), as the interpreter lets a later
// arc code win; -1 when it holds none. A code is found as `HasCode` finds it
// (whole codes: "G0" is not in "G01").
int MotionCodeOf(std::string_view line, const AxisCodes& codes);

// The letters that mean X, Y, I and J to the machine: the letters in force
// with the exchange "Swap X Y" makes for the plot undone.
Letters ProgramLetters(const OffsetSettings& s);

// The program's state before a line, read through `ProgramLetters`: where
// the tool is, which motion is in force and whether arcs lie in the XY
// plane. Advances line by line; asked for an earlier line it starts again
// from the top.
class ProgramPosition {
public:
    explicit ProgramPosition(const OffsetSettings& s);
    void AdvanceTo(const std::vector<std::string>& lines, int line);
    // Applies one line's codes and words.
    void Take(std::string_view line);
    const WordRead* Words() const { return words_; }  // X Y Z I J K R G of the last line taken
    int motionCode = -1;     // the last line's own motion code
    long double x = 0, y = 0, z = 0;
    bool zSet = false;       // some line so far had a Z word
    int motion = -1;         // motion in force, -1 unknown
    bool planeXY = true;     // no XZ or YZ plane code in force

private:
    const OffsetSettings* s_;
    Letters letters_;
    WordReader reader_;
    WordRead words_[8];
    int next_ = 0;
};

// A piece of a contour as the program moves along it, in program units.
struct OffsetSegment {
    int motion = kMotionLine;   // kMotion*, or -1 for a move without a motion code
    double ax = 0, ay = 0, az = 0;  // start
    double bx = 0, by = 0, bz = 0;  // end
    double cx = 0, cy = 0;          // centre of an arc
    int line = 0;                        // index of the line that makes it
    bool zWord = false;                  // the line writes Z
    bool rWord = false;                  // the arc was given by its radius
    bool Arc() const { return motion == kMotionCw || motion == kMotionCcw; }
};

// A contour read from lines first..last (stopping before a cut-off or
// program-end line), starting from `pos`, the program before `first`.
struct OffsetContour {
    std::vector<OffsetSegment> segments;  // zero-length moves left out
    // Z-only moves: after segment `first` (-1: before the first), the new Z.
    std::vector<std::pair<int, double>> zMoves;
    double startZ = 0;
    bool startZSet = false;
    bool closed = false;
    int firstLine = 0;
    std::string error;  // why the lines make no contour the offset can take
};
OffsetContour LoadContour(const std::vector<std::string>& lines, int first, int last, ProgramPosition pos,
                          const OffsetSettings& s);

// "Auto": the highlighted block (SelStartLine, SelLineCount) when it covers
// at least two lines, otherwise every block from a cut-on line (label row 8)
// to the next cut-off line (row 9), each offset by d. The result lines of
// every contour, each contour framed by lines holding one blank; a contour
// that cannot be offset writes nothing and is named in `report.refused`.
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
