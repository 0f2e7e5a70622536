// Arrays ("nesting"): the whole program repeated in a column, a row or a
// grid, each copy slid by a fixed increment, so several parts are cut from
// one sheet. This is what the array window's buttons do, callable without a
// window (a batch run gives the same program as the buttons).
//
// Each copy is the slide operation's appended copy (SLIDE2 with
// `appendCopies`): the program's lines rewritten with the slide, in order,
// a line holding the File Start code (label row 0) appended empty. Copy k of
// a step (k = 1 .. quantity - 1) is the program as it was before that step,
// slid by k times the increment; increments are program units and carry no
// limit (the slide field's limit of 100 is a limit of what a user types
// there, not of an array).
//
// The copies go before the program's tail: the lines after its last File End
// line (label row 10), such as a closing "%", or, without a File End line,
// the File Start lines (row 0) that close it. The program that comes out
// holds exactly one File End line, the last before the tail: every other
// line holding the code is emptied (the File End line "moves to the new
// end", as the slide does), and when no copy ends with the code it is put
// there as a new line.
// A machine without a File End code gets neither.
//
// Up and down are the screen directions of the unrotated plot (X runs down
// the screen, Y across); the axis signs of `codes` keep them on screen.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "base/host.h"
#include "plot/modifiers.h"
#include "text/axis_codes.h"

namespace tolva {

// One direction: the slide keypad's mode (Modifier::Up, Down, Left, Right
// or a diagonal), the number of parts it gives (the program itself counts
// one, so 1 makes no copy) and the distance between neighbours, program
// units (negative reverses the direction).
struct ArrayStep {
    char mode = Modifier::Down;
    int quantity = 1;
    double increment = 1.0;
};

// The array window's buttons as steps: a column is {Up or Down with the
// vertical quantity and increment}, a row {Right or Left with the
// horizontal ones}, a grid both, the column first (the row step then copies
// the whole column).
using ArraySteps = std::vector<ArrayStep>;

// What Undo Nest needs to give back the program as it was before the last
// array: that program, and the lines of it the array emptied.
struct ArrayUndo {
    bool armed = false;  // an array was made and not yet undone
    std::vector<std::string> before;
    std::vector<std::size_t> emptied;  // ascending
    std::size_t tail = 0;  // lines of `before` kept behind the copies
};

// No array makes more lines than this: a 999 x 999 grid of a long program
// would exhaust memory long before the editor could show it.
inline constexpr std::size_t kMaxArrayLines = 2000000;

struct ArrayResult {
    bool refused = false;  // `message` was shown through the host; lines unchanged
    bool changed = false;
    std::string message;
    ArrayUndo undo;        // armed unless refused
};

// Arrays `lines` in place with the steps in order. `settings` gives the
// decimals, Bridgeport and SwapXY of the slide (ReadModifierSettings); its
// amount, block and append flag are ignored. Refused, with the lines as they
// were, when the slide refuses (an incremental program: kIncMessageErrText;
// a line over 255 characters; a number out of range) or the result would
// exceed kMaxArrayLines.
ArrayResult ArrayProgram(std::vector<std::string>& lines, const AxisCodes& codes, const ModifierSettings& settings,
                         const ArraySteps& steps, Host& host);

// "Undo Nest": gives back the program as it was before the last array and
// disarms `undo`, provided the program still begins with it and ends with
// its tail as the array left them (copies edited since are dropped with the
// copies). When that part
// was edited or another program loaded since, kUndoNestChangedText goes to
// the host and nothing is changed: cutting the program to the old line
// count would drop or overwrite lines of a different program.
enum class UndoNestOutcome { NothingToUndo, Undone, ProgramChanged };
inline constexpr const char* kUndoNestChangedText =
    "The program has changed since the last array. Nothing was changed.";
UndoNestOutcome UndoNest(std::vector<std::string>& lines, ArrayUndo& undo, Host& host);

// The array window's number fields. A field that is not a number counts
// `fallback`; numbers are shown fixed with 3 decimals (10 significant
// digits, then the exponent form).
double ArrayFieldValue(const std::string& text, double fallback);
std::string ArrayFieldText(double value);

// "Suggest  Increments": the program's X size and Y size (|largest| +
// |smallest| over the X and Y words) plus the clearance (0.2 when its text
// is not a number): the X size goes to the vertical increment, the Y size
// to the horizontal one, as field texts.
struct SuggestedIncrements {
    std::string vertical, horizontal;
};
SuggestedIncrements SuggestIncrements(double xSize, double ySize, const std::string& clearanceText);

}  // namespace tolva
