// The printed program listing: the header of each page and the indent of
// every line.
#pragma once

#include <string>
#include <vector>

namespace tolva {

// Header lines printed at the top of a page of the program listing; the page
// number comes from the line index (50 lines a page), not from the printer.
std::vector<std::string> PrintHeaderLines(int lineIndex, const std::string& date,
                                          const std::string& time, const std::string& file);
// Indent of every printed program line.
inline const char* kPrintIndent = "           ";

}  // namespace tolva
