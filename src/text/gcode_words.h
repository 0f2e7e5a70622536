// Word-level reading and rewriting of G-code lines.
//
// A line is at most 255 single-byte characters; every tool here looks only at
// the first 255 characters of its input and cuts every result to 255. Blanks
// and tabs carry no meaning: each tool removes them before looking for words.
// Address letters G and M are fixed; the other eight come from the machine's
// label table through `Letters` (exchanged by the axis-swap settings).
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace tolva {

constexpr std::size_t kMaxLine = 255;

// The address letters in force. Each is a single character or empty; an
// empty letter is never found in a line.
struct Letters {
    std::string N = "N", R = "R", I = "I", J = "J", K = "K", X = "X", Y = "Y", Z = "Z";
};

// Characters that end the number of a word. Capital letters are in the set
// and small ones are not, so "X1.5e3" reads 1500 and "X1.5E3" reads 1.5.
bool IsNumberTerminator(unsigned char c);

// Removes `ch` from `s`: mode A everywhere, B leading then trailing, L leading,
// R trailing (mode letter case-insensitive); any other mode returns `s`.
std::string StripChar(char mode, char ch, std::string_view s);

struct WordRead {
    float value = 0.0f;
    bool found = false;
};

// The number following the first occurrence of `word` in `line`. `found` is
// false when the word is absent or its number does not parse even after the
// repairs (leading ".", "-.", trailing "."); the value is then 0.
WordRead WordValue(std::string_view word, std::string_view line);

// The eleven parts of a line: each word is empty or the whole word plus one
// blank; `rest` is what remains, without a blank added.
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

}  // namespace tolva
