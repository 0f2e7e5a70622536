// Colouring of program lines by the machine's own codes: which bytes of a
// line are a motion code, an arc code, a cut on/off code, a comment, a line
// number or an axis word. Codes are found as the interpreter finds them
// (text/label_code.h: whole codes, outside comments); an empty code never
// matches.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolva {

enum class HighlightStyle : std::uint8_t { Plain = 0, Motion, Arc, Cut, Comment, LineNumber, Axis, Count };

struct HighlightCodes {
    std::vector<std::string> motion;  // linear move and rapid codes
    std::vector<std::string> arc;     // arc codes, both directions
    std::vector<std::string> cut;     // cut on and cut off
    std::string commentStart, commentEnd;
    std::string lineLetter;                // the line-number address letter
    std::vector<std::string> axisLetters;  // X Y Z and the arc words I J K R
    friend bool operator==(const HighlightCodes&, const HighlightCodes&) = default;
};

// One style per byte of `line` written into `styles` (resized to the line).
// A comment runs from its start delimiter to its end delimiter (or the line's
// end) and hides every code inside it. Codes win over words; a later code
// group (arc over motion, cut over arc) wins where two overlap. A word is its
// letter followed by an optional sign and at least one digit or period.
void HighlightLine(std::string_view line, const HighlightCodes& codes, std::vector<HighlightStyle>& styles);

}  // namespace tolva
