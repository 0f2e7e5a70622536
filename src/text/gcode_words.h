// Word-level reading and rewriting of G-code lines.
//
// Blanks and tabs carry no meaning: each tool removes them before looking
// for words. Address letters G and M are fixed; the other eight come from the
// machine's label table through `Letters` (exchanged by the axis swaps). A
// letter is found in either case, as a control reads it; a rebuilt line keeps
// each word's letter as written. Lines of any length are read and rebuilt whole.
//
// A comment runs from "(" to the next ")" (or to the end of the line when it
// is not closed), or from ";" to the end of the line. Words are never taken
// from a comment and no number reaches into one; a rebuilt line carries its
// comments as written, blanks and all, in their place among the rest of its
// text.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tolva {

constexpr std::size_t kMaxLine = 255;
constexpr char kCommentOpen = '(';
constexpr char kCommentClose = ')';
constexpr char kCommentToEnd = ';';  // a comment from here to the line end

// The address letters in force. Each is a single character or empty; an
// empty letter is never found in a line.
struct Letters {
    std::string N = "N", R = "R", I = "I", J = "J", K = "K", X = "X", Y = "Y", Z = "Z";
};

// Characters that end the number of a word: letters of either case among
// them, so "X1.5e3" reads 1.5 (G-code writes no exponents; "e3" is a word).
bool IsNumberTerminator(unsigned char c);

// Removes `ch` from `s`: mode A everywhere, B leading then trailing, L leading,
// R trailing (mode letter case-insensitive); any other mode returns `s`.
std::string StripChar(char mode, char ch, std::string_view s);

struct WordRead {
    float value = 0.0f;
    bool found = false;
};

// The number following the first occurrence of `word` in `line` outside its
// comments. `found` is
// false when the word is absent or its number does not parse even after the
// repairs (leading ".", "-.", trailing "."); the value is then 0.
WordRead WordValue(std::string_view word, std::string_view line);
// The same in double precision, for coordinates that must keep every digit
// written (a drawing's six integer digits and their decimals).
struct ExactWordRead {
    double value = 0.0;
    bool found = false;
};
ExactWordRead ExactWordValue(std::string_view word, std::string_view line);

// The number of a word, given the text after its letter (as SplitWords cuts
// it), read as WordValue reads it but in double precision: the same grammar,
// the same repairs. False when it does not parse. An exponent beyond the
// range gives an infinite value: callers that write numbers check for it.
bool ReadNumberText(std::string_view text, double& out);

// Several words of a line read together, for whole-program passes that ask
// every line for the same words: Read gives out[k] exactly as
// WordValue(words[k], line) would, but finds all one-character words in a
// single scan of the line. At most kMaxWords words; longer codes (and a blank
// or tab as a word) are read through WordValue.
class WordReader {
public:
    static constexpr std::size_t kMaxWords = 16;
    WordReader() = default;
    WordReader(std::initializer_list<std::string_view> words);
    std::size_t Count() const { return count_; }
    // `out` has room for Count() results.
    void Read(std::string_view line, WordRead* out) const;

private:
    std::array<std::string, kMaxWords> words_;
    std::size_t count_ = 0;
    std::array<std::uint16_t, 256> byChar_{};  // one-character words by character, a bit per word
    std::uint16_t oneChar_ = 0;                // words found by the scan
    std::uint16_t general_ = 0;                // words read through WordValue
};

// The eleven parts of a line: each word is empty or the whole word plus one
// blank; `rest` is what remains, in its order, without a blank added, its
// comments as written.
struct SplitLine {
    std::string G, M, N, X, Y, Z, I, J, R, K, rest;
};
SplitLine SplitWords(std::string_view line, const Letters& letters);
// The same into `out`, reusing its strings' storage (whole-program passes).
void SplitWords(std::string_view line, const Letters& letters, SplitLine& out);

// Word order N G M X Y Z I J K R rest, and N G X Y Z I J K R M rest. When
// the X word's first character sorts after the Y word's (an absent word
// counts as code 0), X/Y and I/J are exchanged.
std::string OrderWordsMFirst(std::string_view line, const Letters& letters);
std::string OrderWordsMLast(std::string_view line, const Letters& letters);

// Allocation-free forms for whole-program passes: the result goes to `out`,
// whose capacity is reused.
void OrderWordsMFirst(std::string_view line, const Letters& letters, std::string& out);
void OrderWordsMLast(std::string_view line, const Letters& letters, std::string& out);

// "Line Order N G M X Y Z I J K R" (and "... R M") over every line, in
// place. A line of any length is rebuilt whole, its comments in their place.
void OrderAllLinesMFirst(std::vector<std::string>& lines, const Letters& letters);
void OrderAllLinesMLast(std::vector<std::string>& lines, const Letters& letters);

}  // namespace tolva
