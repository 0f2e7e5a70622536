// The incremental-centre pass of a DXF import: arc centres, written absolute
// by the emitters, become offsets from the arc's start point.
#pragma once

#include <string>
#include <vector>

#include "settings/label_table.h"

namespace tolva {

struct BridgeportSettings {
    AxisCodes codes;        // letters and arc codes in force
    int decimals = 3;       // "Dec Places", 3 when not a number
    bool rMode = false;     // "R instead of I J K": keep the R word
    bool includeZ = false;  // "Z Included": keep the Z word
    bool xDiv2 = false;     // lathe: X is a diameter ...
    bool iDiv2 = false;     // ... and I is not
    double xScale = 1.0;    // the import's X factor (after its sign box)
};

// One rebuilt arc line: the direction code, then each of the X, Y, Z, I, J,
// K, R words and `extra` preceded by one blank. An empty word text leaves an
// empty place (two blanks in a row); the later clean-up pass closes them.
std::string BUILDARC2(const std::string& code, const std::string& x, const std::string& y, const std::string& z,
                      const std::string& i, const std::string& j, const std::string& k, const std::string& r,
                      const std::string& extra);

// Works on the pairs (start line, end line) of a pass file, in place. An end
// line holding an arc code gets I, J and K relative to the start line's X, Y
// and Z; every other line is kept. With `xDiv2` and not `iDiv2`, I is divided
// by |X scale| (a zero scale leaves it undivided). A file of odd length keeps
// its last line as it is.
void CONVERTBRIDGEPORT2(std::vector<std::string>& lines, const BridgeportSettings& s);

}  // namespace tolva
