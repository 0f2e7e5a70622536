// Finding a label code (a machine's spelling of a code, from the label table)
// in a program line.
//
// Blanks and tabs carry no meaning in a line, and the import and the word
// tools rebuild lines with a blank after every word: the cut-off code
// "G00Z5.000" comes back as "G00 Z5.000 ". So a code is found where its
// characters occur in order with only blanks or tabs between them, in the code
// or in the line. Otherwise the search is the plain one: case-sensitive,
// anywhere in the line (also inside a comment). A code that is empty or holds
// only blanks is never found.
#pragma once

#include <string>
#include <string_view>

namespace tolva {

inline bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

// Position in `line` of the first character of the code's first occurrence,
// or npos.
std::size_t FindCode(std::string_view line, std::string_view code);

inline bool HasCode(std::string_view line, std::string_view code) {
    return FindCode(line, code) != std::string_view::npos;
}

}  // namespace tolva
