// Rewriting label codes in a program line where the whole-code search finds
// them (FindCodeSpan): the places the geometric operations change, arc and
// compensation codes exchanged by a mirror, the distance code replaced by a
// conversion. The line's other text, comments included, stays as written.
#pragma once

#include <string>
#include <string_view>

namespace tolva {

// Replaces every occurrence of `from` by `to`; true when there was one.
bool ReplaceWholeCode(std::string& line, std::string_view from, std::string_view to);

// Exchanges every occurrence of `a` with `b` and of `b` with `a`; true when
// something was exchanged. Codes that find each other (the same code, "G2"
// and "G02") are left alone.
bool ExchangeWholeCodes(std::string& line, std::string_view a, std::string_view b);

// The first word of a code as the whole-code search reads it ("G41" of
// "G41D01"); empty when the code is not searched by words.
std::string_view FirstWordOfCode(std::string_view code);

}  // namespace tolva
