// Finding a label code (a machine's spelling of a code, from the label table)
// in a program line.
//
// A code is found as a whole code, the way a control reads it: as a run of
// the line's words equal to the code's words. A word is a letter (either
// case: "g20" is G20) with the number after it; two numbers are equal when
// their values are ("G2" is "G02", "D1" is "D01"), so a code never matches
// the start of a longer number: the arc code "G2" is not in "G21" or "G28",
// and "G90" is not in "G90.1". A code of a letter alone ("X") matches that
// letter's word whatever its number. Other characters ("%", "/") stand for
// themselves. Blanks and tabs carry no meaning, in the code or in the line
// ("G00Z5.000" is found in "G00 Z5.000 ").
//
// Comments are not searched: "(" to the next ")" and ";" to the line end. A
// code that itself holds "(" or ";" can only be text, and is found by the
// plain search (blanks not counting, case-sensitive, anywhere). A code that
// is empty or holds only blanks is never found.
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

// Where a code stands in a line: `pos` is its first character, `end` one
// past its last (the line's spelling may be longer or shorter than the
// code's: "G2" for "G02"). pos is npos when the code is not found.
struct CodeSpan {
    std::size_t pos = std::string_view::npos;
    std::size_t end = std::string_view::npos;
    explicit operator bool() const { return pos != std::string_view::npos; }
};
// The first occurrence of `code` starting at or after `from`.
CodeSpan FindCodeSpan(std::string_view line, std::string_view code, std::size_t from = 0);

// One word of a line or code, as FindCode reads them. `kind` is the
// letter in upper case for a word, kNumber for a number standing alone, and
// otherwise the character itself. Positions are in the text scanned; the
// number, when there is one, spans [numBegin, numEnd) and may hold blanks.
struct CodeToken {
    static constexpr int kNumber = 256;
    int kind = 0;
    std::size_t begin = 0, end = 0, numBegin = 0, numEnd = 0;
    bool HasNumber() const { return numEnd > numBegin; }
};
// The token at or after `p`, skipping blanks and comments; false at the end.
bool NextCodeToken(std::string_view text, std::size_t p, CodeToken& t);
// Two number texts of the same value ("02" and "2", "5.000" and "5",
// "-0" and "0"); blanks do not count.
bool SameNumber(std::string_view a, std::string_view b);
// Where `code` (whose first token is `first`) ends in `line` when it starts
// at the line's token `start`; npos when it does not match there.
std::size_t MatchCodeAt(std::string_view line, const CodeToken& start, std::string_view code, const CodeToken& first);
// FindCode for one code over many lines: what depends on the code alone is
// worked out once.
class CodeFinder {
public:
    explicit CodeFinder(std::string_view code);
    std::size_t Find(std::string_view line) const;
    bool In(std::string_view line) const { return Find(line) != std::string_view::npos; }

private:
    std::string code_;
    CodeToken first_;
    bool oneWord_ = false, hasCanon_ = false;
    std::string canon_;
};

// Whether a code is matched by words (true) or, holding a comment character,
// by the plain search; false also for an empty or blank code.
bool IsWordCode(std::string_view code);

}  // namespace tolva
