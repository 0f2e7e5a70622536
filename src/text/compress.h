// Compress: removing lines that move nowhere new and, in super mode, the X,
// Y and Z words that repeat the line before (programs then rely on modal
// coordinates).
//
// The program is the editor's lines, one byte string each. Words are those
// of `SplitWords` (first 255 characters of a line), compared as exact text
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

// True when `code` occurs anywhere in the program (also inside comments),
// blanks not counting (`HasCode`). An empty code is never found.
bool ContainsCode(const std::vector<std::string>& lines, std::string_view code);

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
// every line after the first in the order G M N X Y Z I J R K rest).
// Codes used: label rows 2 (Arc Cw), 3 (Arc Ccw), 7 (Incremental) and the
// letters in force. A line holding the Incremental code switches `plot` (if
// given) to incremental distance mode; its line counter is left at the line
// count. Progress 0..1000 goes to `host` (if given) every few thousand lines.
//
// Kept on purpose: when the first line is deleted the scan goes on with what
// was the third line, so the new first and second lines are not compared in
// that run. Mended: lines longer than 255 characters are compared whole and
// never rewritten or dropped for their words (their tail would be lost); a
// line that carries an M word is not dropped by the arc end-point rule; the
// super mode forgets the remembered position when a line moves the tool
// without being remembered (an arc, or a move with other words), so a later
// return to that position is not taken for a repeat.
CompressResult RemoveDup(int super, std::vector<std::string>& lines, const AxisCodes& codes,
                         Host* host = nullptr, const CompressPlotLink* plot = nullptr);

// The menu items "Compress" (`super` 0) and "Super Compress" (1): a program
// containing the Incremental code anywhere is refused with IncMessageErr
// (its repeated lines are real moves), otherwise RemoveDup runs.
CompressResult CompressProgram(int super, std::vector<std::string>& lines, const AxisCodes& codes, Host& host,
                               const CompressPlotLink* plot = nullptr);

}  // namespace tolva
