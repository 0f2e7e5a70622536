// The geometric modifiers: slide, spin, flip, flop and size of the program
// or the highlighted block, and the conversions between absolute and
// incremental coordinates. All are one pass, `SLIDE2`, selected by a mode
// character; each line in its range is rebuilt from its words with freshly
// written numbers (see AppendProgramNumber), without its N word.
//
// The result is the transform of the source move for move: a word a line
// leaves out keeps its modal value, and the pass writes it when the transform
// moves that value (a spin of "G01 Y4" after "G01 X1 Y5" writes X too). An
// incremental stretch (from the Incremental code to the next Absolute code)
// holds vectors: a slide leaves it as it is, spin, mirrors and size turn,
// mirror or scale its increments and centre offsets. Arc codes are exchanged
// by a mirror wherever they stand on the line, in the planes it reverses;
// compensation codes in the form the label table writes them ("G41D01").
//
// Values are read and computed in double precision, so absolute ->
// incremental -> absolute gives back every written number, and sliding by
// d and then by -d, or flipping twice, returns the program's values.
//
// Lines of any length are rewritten whole. Refusals (a number out of range, an
// incremental move a slide cannot place, an arc out of the XY plane given to
// the spin, a spin of diameters, a conversion with nothing to convert) leave the lines as they
// were and tell the host why, naming the line where there is one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/host.h"
#include "text/axis_codes.h"

namespace tolva {

class MachineSettings;

// The mode characters: the slide keypad as a numeric keypad (8 up, 2 down,
// 4 left, 6 right, 7 9 1 3 the diagonals), 5 spin, 0 flip, F flop, X size,
// I to incremental, A to absolute. Up means -X on the unrotated plot (X runs
// down the screen), right +Y; the axis signs keep the screen direction.
namespace Modifier {
constexpr char Up = '8', Down = '2', Left = '4', Right = '6';
constexpr char UpLeft = '7', UpRight = '9', DownLeft = '1', DownRight = '3';
constexpr char Spin = '5', Flip = '0', Flop = 'F', Size = 'X';
constexpr char ToIncremental = 'I', ToAbsolute = 'A';
}  // namespace Modifier

// The slide amount and the size factor as typed: above 100 they are used
// as 100 and the field shows "100.0"; text that is not a finite number is
// used as 1.0 and the field shows "1.000". `shown` is empty when the field
// keeps its text.
struct AmountField {
    double value = 1.0;
    std::string shown;
};
AmountField CorrectAmount(std::string_view text);

struct ModifierSettings {
    double amount = 5.0;  // d: program units for the slides, degrees for the spin
    double factor = 1.0;  // f: the size factor
    int decimals = 3;     // DecimalPlaces of every written number (0..9)
    bool bridgeport = false;  // I J K are offsets from the arc's start point
    bool swapXY = false;      // rewritten lines pass through OrderWordsMLast
    bool diameterX = false;   // "X div 2": X words are diameters (a lathe)
    // The array window is shown: each rewritten line is appended to the end
    // of the program and the line itself stays (see SLIDE2).
    bool appendCopies = false;
    // The highlighted block (the line before its first line, and its count).
    int selStartLine = -1;
    int selLineCount = 0;
};

// Bridgeport, SwapXY and the decimals of the setting "Decimal Places" (3 when
// it is not an integer) as they are now; amount, factor, block and append
// flag are the caller's.
ModifierSettings ReadModifierSettings(const MachineSettings& settings);

struct ModifierResult {
    bool refused = false;  // a message was shown and the lines are as they were
    bool changed = false;  // some line was rewritten, appended or emptied
    std::string message;   // the refusal's text
    int lastLine = 0;      // the last line processed (the plot's CurLine)
};

// Turns (x, y) and the centre words (i, j) by `radians` about the Z axis,
// counter-clockwise seen from +Z: x' = x cos - y sin, y' = x sin + y cos.
void RotateZ(double radians, double& x, double& y, double& i, double& j);

// `SLIDE2`: one pass of `mode` over the range: every line, unless the block
// has at least two lines, in which case the lines from the line before the
// block (or the first line) to the block's last line. Codes used: label rows
// 0 (File Start), 2 and 3 (arcs), 4 and 5 (cutter compensation), 6
// (Absolute), 7 (Incremental), 10 (File End), 20..22 (planes) and the
// letters in force; the slide directions use `codes.xSign` and `codes.ySign`.
// The conversions rewrite only the stretches in the other mode, replacing the
// distance code itself; they refuse a range with no such stretch.
//
// With `appendCopies` the new line goes to the end of the program instead of
// replacing the line; a new line holding the File Start code is appended
// empty, and one holding the File End code also empties its line in place,
// so the File End line moves to the new end.
ModifierResult SLIDE2(char mode, std::vector<std::string>& lines, const AxisCodes& codes,
                      const ModifierSettings& settings, Host& host);

// The conversions' refusals of a program with nothing to convert.
inline constexpr const char* kAlreadyAbsoluteText = "The program is already absolute: nothing was changed.";
inline constexpr const char* kAlreadyIncrementalText = "The program is already incremental: nothing was changed.";

// The refusal of "Convert to Incremental G91" for a program with the K code
// (label row 16) anywhere: arcs out of the XY plane are not converted.
inline constexpr const char* kFile3dMessageText = "File is 3d \nFunction not supported \nMust be Absolute 2d ";

// "Convert to Incremental G91": refused with kFile3dMessageText when the K
// code occurs anywhere, else mode I.
ModifierResult ConvertToIncremental(std::vector<std::string>& lines, const AxisCodes& codes,
                                    const ModifierSettings& settings, Host& host);

// "Convert to Absolute     G90": line numbers removed, then mode A. With
// Bridgeport on, centre offsets stay offsets; without, they become absolute
// centres. Refused, nothing changed, when no line is incremental.
ModifierResult ConvertToAbsolute(std::vector<std::string>& lines, const AxisCodes& codes,
                                 const ModifierSettings& settings, Host& host);

}  // namespace tolva
