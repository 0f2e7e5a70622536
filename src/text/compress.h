// Compress: removing lines that move nowhere new and, in super mode, the X,
// Y and Z words that repeat the line before (programs then rely on modal
// coordinates).
//
// The program is the editor's lines, one byte string each. Words are those
// of `SplitWords`, compared as exact text
// including their trailing blank: X1.0 and X1.00 differ, an absent word
// equals an absent word. Blanks here are the space character.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/host.h"
#include "text/axis_codes.h"

namespace tolva {

// The message of every operation that needs absolute coordinates. The two
// line breaks are part of the text.
inline constexpr const char* kIncMessageErrText =
    "File is Incremental\nFunction not supported \nMust be Absolute.  Try Convert to Absolute";

// Shows kIncMessageErrText through `host`.
void IncMessageErr(Host& host);

// True when `code` occurs in some line of the program, found as `HasCode`
// finds it. An empty code is never found.
bool ContainsCode(const std::vector<std::string>& lines, std::string_view code);

// The distance mode after `line` when `incremental` was in force before it:
// the line's Absolute (label row 6) or Incremental (row 7) code switches it,
// the later of the two on the line winning.
bool IncrementalAfter(std::string_view line, const AxisCodes& codes, bool incremental);

// The two program-wide plot values Compress leaves behind: the distance mode
// (a line holding the Incremental code switches it to incremental) and the
// line counter (left at the line count). The caller points them at the
// plot's own state.
struct CompressPlotLink {
    bool& AbsMode;
    int& CurLine;
};

struct CompressResult {
    bool ok = true;          // false: refused, `message` says why; lines untouched
    std::string message;
    bool changed = false;    // some line was rewritten or removed
};

// `RemoveDup`: one pass over the whole program, in place. `super` 0 removes
// repeated and empty lines, 1 also drops repeated X, Y, Z words (and rebuilds
// every line after the first in the order N G M X Y Z I J R K rest).
// Codes used: label rows 2 (Arc Cw), 3 (Arc Ccw), 6 (Absolute), 7
// (Incremental) and the letters in force. A line holding the Incremental
// code switches `plot` (if given) to incremental distance mode; its line
// counter is left at the line count. Progress 0..1000 goes to `host` (if
// given) every few thousand lines.
//
// An incremental stretch (from the Incremental code to the next Absolute
// code) keeps its lines as they are: there a repeated line is a move again.
// A line is dropped or rewritten only when it and the line before are both
// absolute; empty lines go everywhere.
//
// Kept on purpose: when the first line is deleted the scan goes on with what
// was the third line, so the new first and second lines are not compared in
// that run. Mended: a line that carries an M word is not dropped by the arc
// end-point rule; the super mode forgets the remembered position when a line
// moves the tool without being remembered (an arc, a move with other words,
// a relative move), so a later return to that position is not taken for a
// repeat.
CompressResult RemoveDup(int super, std::vector<std::string>& lines, const AxisCodes& codes,
                         Host* host = nullptr, const CompressPlotLink* plot = nullptr);

// The menu items "Compress" (`super` 0) and "Super Compress" (1): RemoveDup
// on the program. Nothing is refused: incremental stretches are left as they
// are.
CompressResult CompressProgram(int super, std::vector<std::string>& lines, const AxisCodes& codes, Host& host,
                               const CompressPlotLink* plot = nullptr);

}  // namespace tolva
