// Small whole-program edits of the main window's menus: line numbers,
// comments, blanks and the line-end characters some controllers need.
//
// Each works on the program's lines in place and returns whether a line
// changed. They work on the whole line: a line longer than 255 characters
// keeps its tail (cutting it would lose what the user wrote there; no word
// of the tail is read by any operation anyway).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/axis_codes.h"

namespace tolva {

// "&Add Line Numbers": every line that holds no N word (found as `HasCode`
// finds a code: either case, outside comments) gets the code, its number in plain decimal and one
// blank in front. The number starts at `start` and grows by `step` for every
// line, numbered or not, so a line that has its own N word leaves a gap.
bool Renumber(std::vector<std::string>& lines, std::string_view nCode, long long start, long long step);

// "&Remove Line Numbers": in a line holding an N word, everything from the
// start of the line through that word and the blanks after it goes:
// "N10 G01 X1" -> "G01 X1", "G01 N10 X1" -> "X1", "N10" -> "".
bool RemoveNumbers(std::vector<std::string>& lines, std::string_view nCode);

// "Remove Comments enclosed by labels (71-72)": the first comment of a line,
// from the first start code up to and including the first character of the
// first end code, when the end code does not stand before the start code.
bool RemoveComments(std::vector<std::string>& lines, std::string_view open, std::string_view close);

// "Pack the file remove all spaces": every blank goes (tabs stay).
bool RemoveSpaces(std::vector<std::string>& lines);

// "Add Chars  to line end": `ends` is appended to every line that does not
// contain it anywhere. "Remove Chars from line end": its first occurrence
// is deleted wherever it stands. An empty `ends` changes nothing.
bool AddLineEnds(std::vector<std::string>& lines, std::string_view ends);
bool RemoveLineEnds(std::vector<std::string>& lines, std::string_view ends);

// The inch, exactly: Inch to Metric scales by it, Metric to Inch by its
// inverse.
inline constexpr double kMillimetresPerInch = 25.4;

// The unit codes after Inch to Metric (`toMetric`) or Metric to Inch: every
// inch code becomes the metric code, or every metric code the inch code,
// found as whole codes (FindCodeSpan) and written as the machine spells the
// new one. Nothing changes when either code is empty.
bool ExchangeUnitCode(std::vector<std::string>& lines, const std::string& inchCode, const std::string& metricCode,
                      bool toMetric);

}  // namespace tolva
