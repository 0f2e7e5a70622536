// The units in force at a place in a program: the last inch or metric code
// before it, found as a whole code outside comments (FindCodeSpan), so
// "G21" is not seen in "G210" or in "(G21)". The codes come from the machine
// file; an empty code never matches.
#pragma once

#include <string>
#include <string_view>

namespace tolva {

enum class Units { Unknown, Inch, Metric };

// `text` is the program up to the end of the line of interest.
Units UnitsInForce(std::string_view text, const std::string& inchCode, const std::string& metricCode);

// "Units: inch (G20)", "Units: mm (G21)", "Units: not set (G20/G21)", or
// "Units: no codes in machine file" when both codes are empty.
std::string UnitsText(Units u, const std::string& inchCode, const std::string& metricCode);

}  // namespace tolva
