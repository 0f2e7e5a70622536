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
    // Interval of the single-step plot timer, 55..1000 ms.
    int singleStepMs = 125;

    // Column 1 of `row`; empty outside the table.
    const std::string& Code(int row) const {
        static const std::string empty;
        return row >= 0 && row < kLabelRows ? codes[row] : empty;
    }
};

}  // namespace tolva
