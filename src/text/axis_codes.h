// The machine's codes in force: how the configured machine spells each code
// and address letter, as the label table holds them after `Setaxis` (blanks
// removed, the axis letters exchanged by the axis swaps). The line toolkit,
// the transformations and the interpreter take this value; the settings floor
// builds it from the label table.
#pragma once

#include <array>
#include <string>

#include "text/gcode_words.h"

namespace tolva {

constexpr int kLabelRows = 99;

// Row numbers of the table (0-based; the user sees row + 1).
namespace LabelRow {
enum : int {
    FileStart = 0, Line = 1, ArcCw = 2, ArcCcw = 3, KerfCompLeft = 4, KerfCompRight = 5,
    Absolute = 6, Incremental = 7, BeginBlock = 8, EndBlock = 9, FileEnd = 10, LeadIn = 11,
    NLetter = 12, RLetter = 13, ILetter = 14, JLetter = 15, KLetter = 16,
    XLetter = 17, YLetter = 18, ZLetter = 19,
    XYPlane = 20, XZPlane = 21, YZPlane = 22,
    Header1 = 23, Header4 = 26,      // program head entries 23..26
    Rapid = 27,
    TranslateFirst = 29, TranslateLast = 69,
    TranslateHalf = 49,               // last row of "T1" and first of "T2"
    CommentStart = 70, CommentEnd = 71,
    SplitLines = 72,
    Trailer1 = 74, Trailer5 = 78,     // program tail entries 74..78
    ALetter = 80, BLetter = 81, CLetter = 82,
    StopA = 83, StopB = 84, StopC = 85,
    AddX = 86, AddY = 87, AddZ = 88,
    MaxR = 89, G12 = 90, G13 = 91,
};
}

// How the plot's axes (0 X, 1 Y, 2 Z: the axes of the letters in force) show
// the program's: the sign each is drawn with and the program axis it reads.
struct PlotAxes {
    int sign[3] = {1, 1, 1};
    int shows[3] = {0, 1, 2};

    // The one rule of arc direction. An arc drawn in plot axes (a, b) turns
    // the other way round from the direction programmed (a clockwise code
    // turns clockwise seen with the plane's program axes in cyclic order
    // X->Y->Z->X, as a machine runs it) when the plot mirrors the pair: the
    // product of their signs is -1, exclusive-or the program axes they read
    // are not in that cyclic order. Two plot axes reading one program axis
    // mirror nothing.
    bool ArcTurnsOver(int a, int b) const {
        const int p = shows[a], q = shows[b];
        if (p == q) return false;
        const bool mirrored = sign[a] * sign[b] < 0;
        const bool cyclic = (q - p + 3) % 3 == 1;
        return mirrored != !cyclic;
    }
    // Whether an arc programmed clockwise (`programmedCw`) is drawn clockwise
    // in plot axes (a, b), a across and b up.
    bool DrawnClockwise(bool programmedCw, int a, int b) const { return programmedCw != ArcTurnsOver(a, b); }
};

// The codes in force, as `Setaxis` leaves them: blanks removed from rows
// 1..19, 80..82 and 90..91, the address letters exchanged by the axis swaps.
struct AxisCodes {
    // N R I J K X Y Z as used by the line toolkit and the interpreter. With
    // SwapXY, X comes from row 18, Y from 17, I from 15, J from 14; then with
    // SwapYZ, Y from row 19, Z from 18, J from 16, K from 15.
    Letters letters;
    // Column 1 of every row, cut to 255 characters. Rows 17..19 and 14..16
    // here are the cells as stored; use `letters` for the letters in force.
    std::array<std::string, kLabelRows> codes;
    // +1, or -1 when the plot's X * -1, Y * -1, Z * -1 is on.
    int xSign = 1, ySign = 1, zSign = 1;
    // The axis swaps the letters were taken with.
    bool swapXY = false, swapYZ = false;
    // Interval of the single-step plot timer, 55..1000 ms.
    int singleStepMs = 125;

    // Plot axes are numbered 0 X, 1 Y, 2 Z: the axes of the letters in force.
    // The program axis whose words plot axis `axis` reads: the letters' rows
    // after the swaps (both swaps on make two plot axes read one program axis).
    int Shows(int axis) const {
        int row[3] = {0, 1, 2};
        if (swapXY) row[0] = 1, row[1] = 0;
        if (swapYZ) row[1] = 2, row[2] = 1;
        return row[axis];
    }
    PlotAxes Axes() const { return {{xSign, ySign, zSign}, {Shows(0), Shows(1), Shows(2)}}; }

    // Column 1 of `row`; empty outside the table.
    const std::string& Code(int row) const {
        static const std::string empty;
        return row >= 0 && row < kLabelRows ? codes[row] : empty;
    }
};

}  // namespace tolva
