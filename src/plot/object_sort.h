// Ordering the closed paths of a program by size, and moving the start point
// of a highlighted closed path.
//
// An object is a run of lines ending with a line that holds the End Block code
// (label row 9). It begins after the nearest earlier line holding the End
// Block, Kerf Comp Left or Kerf Comp Right code (rows 9, 4, 5), so its lead-in
// goes with it. Without such a line (a hand-written first path) it begins at
// the run of lines right before its Begin Block line (row 8) that hold an X, Y
// or Z word, its approach, or at the Begin Block line itself.
//
// An object's size is the length of its own moves from its Begin Block line
// to its End Block line (scaled units, long double sums). A cut-off that closes no cut-on
// of its own (a second End Block after the first) closes no object: its line
// stays where it is.
//
// Programs are the editor's lines, one byte string each. The operations work
// on the lines they are given and leave them as they were when they fail.
#pragma once

#include <string>
#include <vector>

#include "base/host.h"
#include "base/program_file.h"
#include "plot/interpreter.h"
#include "text/axis_codes.h"

namespace tolva {

// One object of a program: its size and its first and last line (0-based).
struct ProgramObject {
    float Length = 0.0f;  // scaled units, as the plot measured it
    int FirstLine = 0;
    int BeginLine = 0;    // the Begin Block line
    int EndLine = 0;      // the End Block line
    double Size = 0.0;    // scaled units: its own moves from cut-on to cut-off
    // First line of what a sort moves with the object: its own kerf line and
    // approach when every object carries one, otherwise everything after the
    // previous object's End Block (FirstLine for the first object).
    int MovesFrom = 0;
};

// First line of the object whose Begin Block is line `beginLine`.
int ObjectFirstLine(const std::vector<std::string>& lines, int beginLine, const AxisCodes& codes);

// Plots `lines` once from line 0 with `interp` (its settings, view scale and
// canvas) and gives every object in program order.
//
// Objects carry their own compensation when every one has a line holding a
// Kerf Comp code between the previous object's End Block line (or the
// program's start) and its Begin Block line: each object then moves from
// the last such line, with the run of move lines (X, Y or Z words, no M
// word: its approach) and comment lines right before it. The other lines between two objects
// (the compensation switched off, a comment) stay where they stand, so
// every place between two objects keeps what ends the one before it.
// Otherwise the compensation is the head's, and the lines between two
// objects go with the object after them. The interpreter's records
// of the largest and smallest object are left as the plot made them.
std::vector<ProgramObject> FindObjects(const std::vector<std::string>& lines, Interpreter& interp, Host& host);

enum class ObjectOrder { Ascending, Descending };

struct ObjectSortResult {
    FileStatus file;       // the scratch file failed: lines untouched
    bool changed = false;  // the lines differ from what was given
};

// "Sort Objects Acending" / "Sort Objects Decending". The program is
// compressed (`RemoveDup`, flag 0) and plotted once; the objects are then put
// in order of size (ties in program order) inside the span they occupied:
// the lines before the first object and after the last (the program's head
// and tail: compensation off, spindle stop, home return, program end) stay
// where they are, and the lines between objects move as `MovesFrom` says.
// The reordered lines pass through `Temp.$$$` of `scratchFolder`.
ObjectSortResult SortObjects(std::vector<std::string>& lines, ObjectOrder order, Interpreter& interp,
                             Host& host, const std::string& scratchFolder);

// "Largest Object to bottom Only": compresses, plots once and moves the
// largest object (the first of equal sizes; never one of size 0) behind the
// other objects, before the program's tail.
ObjectSortResult LargestObjectToBottom(std::vector<std::string>& lines, Interpreter& interp, Host& host);

inline constexpr char kMoveStartMessage[] = "Highlighted first two selected lines must contain X or Y ";

// "Move starting point Forward on highlighted code" on the block of
// `count` lines after line `selStartLine` (lines L1..Lk): L2 keeps only its
// G, M, X, Y, Z words and rest (its motion code stays with it), and L1 and L2 as they were follow Lk, L1 leaving
// its place, so the block grows by one line. Refused with kMoveStartMessage
// unless L1 holds the X letter, or the Y letter in a block of three or more
// lines; a block of fewer than two lines is refused the same way. False when
// refused (lines untouched).
bool MoveStartForward(std::vector<std::string>& lines, int selStartLine, int count, const Letters& letters,
                      Host& host);

}  // namespace tolva
