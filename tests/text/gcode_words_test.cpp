#include "text/gcode_words.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <tuple>
#include <vector>
#include <gtest/gtest.h>

#include "../plot/rs274_oracle.h"

using namespace tolva;

namespace {
const Letters L;

float value(const char* word, const char* line) { return WordValue(word, line).value; }
bool found(const char* word, const char* line) { return WordValue(word, line).found; }
}  // namespace

TEST(WordValue, BlanksVanishBeforeTheSearch) {
    EXPECT_FLOAT_EQ(value("X", "G01 X 1.5 Y2"), 1.5f);
    EXPECT_TRUE(found("X", "G01 X 1.5 Y2"));
    EXPECT_FLOAT_EQ(value("Y", "G01 X 1.5\tY\t2"), 2.0f);
}

TEST(WordValue, PeriodFormsReadDirectlyOrAfterRepair) {
    EXPECT_FLOAT_EQ(value("X", "X.5"), 0.5f);
    EXPECT_FLOAT_EQ(value("X", "X-.5"), -0.5f);
    EXPECT_FLOAT_EQ(value("X", "X1."), 1.0f);
    EXPECT_TRUE(found("X", "X."));
    EXPECT_FLOAT_EQ(value("X", "X."), 0.0f);
    EXPECT_FLOAT_EQ(value("X", "X1.5."), 1.5f);
    EXPECT_TRUE(found("X", "X1.5."));
    EXPECT_FLOAT_EQ(value("X", "X.5."), 0.5f);
    EXPECT_FLOAT_EQ(value("X", "X+2.25Y1"), 2.25f);
}

TEST(WordValue, MissingOrUnparsableWordsLeaveTheFlagFalse) {
    EXPECT_FALSE(found("X", "X"));
    EXPECT_FALSE(found("X", "G01"));
    EXPECT_FLOAT_EQ(value("X", "G01"), 0.0f);
    EXPECT_FALSE(found("X", "X1-2"));  // the minus sign does not end a number
    EXPECT_FALSE(found("", "X1"));
    EXPECT_FALSE(found("X", "XX1"));   // the character after the word always belongs to it
}

TEST(WordValue, LettersOfEitherCaseAreWordsAndEndANumber) {
    EXPECT_FLOAT_EQ(value("Y", "y2"), 2.0f);
    EXPECT_FLOAT_EQ(value("X", "g1x-1.5y2"), -1.5f);
    EXPECT_FLOAT_EQ(value("G", "n0090 g20"), 20.0f);
    // No exponent: "e3" is a word of its own, as a control reads it.
    EXPECT_FLOAT_EQ(value("X", "X1.5e3"), 1.5f);
    EXPECT_FLOAT_EQ(value("X", "X1.5E3"), 1.5f);
}

TEST(WordValue, MultiCharacterCodesAndTerminators) {
    EXPECT_FLOAT_EQ(value("G", "N5G02X1"), 2.0f);
    EXPECT_FLOAT_EQ(value("X", "X12(COMMENT)"), 12.0f);
    EXPECT_FLOAT_EQ(value("X", "X3;"), 3.0f);
    EXPECT_FLOAT_EQ(value("X", "X-7,Y1"), -7.0f);
    EXPECT_FLOAT_EQ(value("F", "F1500"), 1500.0f);
    // Only the first occurrence is read.
    EXPECT_FLOAT_EQ(value("X", "X1 X2"), 1.0f);
}

TEST(WordValue, ALineIsReadWhole) {
    std::string line(254, ' ');
    line += "X5";
    EXPECT_FLOAT_EQ(value("X", line.c_str()), 5.0f);
    EXPECT_FLOAT_EQ(value("XY", ("G01 " + std::string(300, ' ') + "XY7").c_str()), 7.0f);
}

TEST(TerminatorSet, HoldsExactlyTheListedCodes) {
    std::string terminators;
    for (int c = 0; c < 256; ++c)
        if (IsNumberTerminator(static_cast<unsigned char>(c))) terminators.push_back(static_cast<char>(c));
    EXPECT_EQ(terminators, "!\"#$%&()*,/;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~");
}

TEST(SplitWords, TakesTheFirstWordOfEachLetter) {
    SplitLine s = SplitWords("N10 G01 X1 Y2 F100", L);
    EXPECT_EQ(s.N, "N10 ");
    EXPECT_EQ(s.G, "G01 ");
    EXPECT_EQ(s.X, "X1 ");
    EXPECT_EQ(s.Y, "Y2 ");
    EXPECT_EQ(s.rest, "F100");
    EXPECT_EQ(s.M, "");

    SplitLine g = SplitWords("GX1", L);
    EXPECT_EQ(g.G, "GX1 ");
    EXPECT_EQ(g.X, "");

    SplitLine two = SplitWords("G90G01X1", L);
    EXPECT_EQ(two.G, "G90 ");
    EXPECT_EQ(two.rest, "G01");
}

TEST(SplitWords, LettersComeFromTheLettersInForce) {
    Letters swapped;
    swapped.X = "Y";
    swapped.Y = "X";
    SplitLine s = SplitWords("X1 Y2", swapped);
    EXPECT_EQ(s.X, "Y2 ");
    EXPECT_EQ(s.Y, "X1 ");
    Letters noK;
    noK.K = "";
    EXPECT_EQ(SplitWords("K5", noK).rest, "K5");
}

TEST(OrderWords, RebuildsInTheFixedOrders) {
    EXPECT_EQ(OrderWordsMFirst("G01 X1 N10 M3 F100", L), "N10 G01 M3 X1 F100");
    EXPECT_EQ(OrderWordsMLast("G01 X1 N10 M3 F100", L), "N10 G01 X1 M3 F100");
    EXPECT_EQ(OrderWordsMFirst("G00 X1", L), "G00 X1 ");
    EXPECT_EQ(OrderWordsMFirst("R2 K1 J3 I4 Z5 Y6 X7 G02", L), "G02 X7 Y6 Z5 I4 J3 K1 R2 ");
}

TEST(Comments, GiveNoWordAndComeBackVerbatimInTheirPlace) {
    // The R of PART is no radius word, and the comment keeps its blanks.
    EXPECT_EQ(OrderWordsMFirst("N10 G01 X1 (CUT PART)", L), "N10 G01 X1 (CUT PART)");
    EXPECT_EQ(OrderWordsMLast("(JOB 2)", L), "(JOB 2)");
    EXPECT_EQ(OrderWordsMFirst("(HELLO)", L), "(HELLO)");
    // Comments stay among the rest of the line, in their places; an unclosed
    // one runs to the end of the line, and so does one after ";".
    EXPECT_EQ(OrderWordsMFirst("G01 (A  X2) F100 X1 (B) S5 (open Y3", L), "G01 X1 (A  X2)F100(B)S5(open Y3");
    EXPECT_EQ(OrderWordsMFirst("N20 G01 X2 ;CUT PART", L), "N20 G01 X2 ;CUT PART");
    EXPECT_EQ(OrderWordsMLast("; Y99 IS THE NEXT PART", L), "; Y99 IS THE NEXT PART");
    EXPECT_EQ(OrderWordsMFirst("M3 (a;b) X1 ; c (d)", L), "M3 X1 (a;b); c (d)");
    // Line-end characters stay at the end.
    EXPECT_EQ(OrderWordsMFirst("X1 G01 (CUT)$;", L), "G01 X1 (CUT)$;");
    // A comment ends a word, even right after its letter.
    EXPECT_EQ(OrderWordsMFirst("X(50)", L), "X (50)");
    EXPECT_EQ(OrderWordsMFirst("X1(a)2 Y3", L), "X1 Y3 (a)2");
    EXPECT_EQ(OrderWordsMFirst("X;50", L), "X ;50");

    const SplitLine s = SplitWords("G02 (I5 J5) X1 Y0 R2 (K)", L);
    EXPECT_EQ(std::tie(s.G, s.X, s.Y, s.R, s.I, s.J, s.K), std::make_tuple("G02 ", "X1 ", "Y0 ", "R2 ", "", "", ""));
    EXPECT_EQ(s.rest, "(I5 J5)(K)");

    EXPECT_FALSE(found("X", "(X50)"));
    EXPECT_FALSE(found("X", "G01 (X50"));
    EXPECT_FALSE(found("Y", "G01 X2 ; Y99 IS THE NEXT PART"));
    EXPECT_FALSE(found("XY", "G01 ;XY5"));
    EXPECT_FLOAT_EQ(value("X", "(X50) X2"), 2.0f);
    EXPECT_FALSE(found("X", "X(50)"));
    EXPECT_FLOAT_EQ(value("XY", "(XY5) XY7"), 7.0f);  // codes longer than a letter too
    // A closing parenthesis outside a comment is plain text.
    EXPECT_FLOAT_EQ(value("X", ") X4"), 4.0f);
}

TEST(OrderWords, XWithoutYIsExchangedWithIJ) {
    // X sorts after the absent Y word: X/Y and I/J change places.
    EXPECT_EQ(OrderWordsMFirst("G02 X1 I2 J3", L), "G02 X1 J3 I2 ");
    EXPECT_EQ(OrderWordsMFirst("G02 X1 Y1 I2 J3", L), "G02 X1 Y1 I2 J3 ");
}

TEST(OrderWords, ALongLineStaysWhole) {
    const std::string comment = "(" + std::string(400, 'B') + ")";
    EXPECT_EQ(OrderWordsMFirst("Y2 " + comment + " X1", L), "X1 Y2 " + comment);
}

TEST(StripChar, Modes) {
    EXPECT_EQ(StripChar('A', ' ', " a b  c "), "abc");
    EXPECT_EQ(StripChar('a', ' ', " a b "), "ab");
    EXPECT_EQ(StripChar('B', '0', "00120300"), "1203");
    EXPECT_EQ(StripChar('L', '0', "00120300"), "120300");
    EXPECT_EQ(StripChar('r', '0', "00120300"), "001203");
    EXPECT_EQ(StripChar('Q', '0', "00120300"), "00120300");
    EXPECT_EQ(StripChar('B', 'x', "xxxx"), "");
    for (char m : {'A', 'B', 'L', 'R', 'Z'}) EXPECT_EQ(StripChar(m, ' ', ""), "");
}

TEST(WordValue, ReadsAsTheNearestFloat) {
    // The fast reading and the general one agree, also for long fractions.
    for (const char* text : {"X0.1", "X-123.4567", "X12345678901234567890.5", "X0.0000000000000000000000000001",
                             "X+0.30000000000000004"}) {
        float expect = std::strtof(text + 1, nullptr);
        EXPECT_EQ(WordValue("X", text).value, expect) << text;
    }
    EXPECT_EQ(WordValue("X", "X 1 2 . 5").value, 12.5f);
    EXPECT_EQ(WordValue("XY", "G0 X Y7").value, 7.0f);  // codes longer than a letter see the packed line
}

TEST(WordReader, GivesWhatWordValueGivesForEveryWord) {
    // Random lines over the characters that matter: letters in and out of
    // the word set, both exponent cases, signs, periods, blanks, tabs,
    // terminators and bytes above 127; longer than 255 now and then.
    const std::string alphabet = "GIJRKXYZxeE0123456789..--+  \t();,/N*\x80\xff";
    const WordReader reader{"G", "I", "J", "R", "K", "X", "Y", "Z", "XY", "", " ", "e", "G0"};
    const std::string_view words[] = {"G", "I", "J", "R", "K", "X", "Y", "Z", "XY", "", " ", "e", "G0"};
    ASSERT_EQ(reader.Count(), std::size(words));
    std::mt19937 rng(7);
    for (int n = 0; n < 20000; ++n) {
        const std::size_t len = rng() % (n % 50 == 0 ? 400 : 40);
        std::string line;
        for (std::size_t i = 0; i < len; ++i) line += alphabet[rng() % alphabet.size()];
        WordRead got[WordReader::kMaxWords];
        reader.Read(line, got);
        for (std::size_t k = 0; k < std::size(words); ++k) {
            const WordRead want = WordValue(words[k], line);
            ASSERT_EQ(got[k].found, want.found) << "word '" << words[k] << "' in '" << line << "'";
            ASSERT_EQ(std::memcmp(&got[k].value, &want.value, sizeof(float)), 0)
                << "word '" << words[k] << "' in '" << line << "'";
        }
    }
}

TEST(WordReader, ReadsEachWordAtItsFirstOccurrence) {
    const WordReader reader{"X", "Y", "I"};
    WordRead r[3];
    reader.Read("G01 (X3) X 1.5 Y-.5 X9 (I7)", r);
    EXPECT_EQ(r[0].value, 1.5f);
    EXPECT_EQ(r[1].value, -0.5f);
    EXPECT_FALSE(r[2].found);  // only inside a comment
    reader.Read("G01", r);
    EXPECT_FALSE(r[0].found || r[1].found || r[2].found);
}

namespace {

// The splitting rule as written: lift the comments out (each leaves a mark
// that ends a word), take each letter's first word (either case) out of what
// is left of the line, one letter after the other; the rest is what remains,
// each mark given its comment back.
SplitLine splitByCutting(std::string line, const Letters& L) {
    constexpr char kMark = '\x01';
    std::string packed;
    std::vector<std::string> comments;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '(' || line[i] == ';') {
            const std::size_t close = line[i] == '(' ? line.find(')', i) : std::string::npos;
            const std::size_t end = close == std::string::npos ? line.size() : close + 1;
            comments.push_back(line.substr(i, end - i));
            packed.push_back(kMark);
            i = end - 1;
        } else if (line[i] != ' ' && line[i] != '\t') {
            packed.push_back(line[i]);
        }
    }
    SplitLine s;
    static const std::string G = "G", M = "M";
    const std::pair<const std::string*, std::string*> order[] = {
        {&G, &s.G}, {&M, &s.M}, {&L.N, &s.N}, {&L.X, &s.X}, {&L.Y, &s.Y},
        {&L.Z, &s.Z},                {&L.R, &s.R},                 {&L.I, &s.I}, {&L.J, &s.J}, {&L.K, &s.K}};
    for (const auto& [letter, out] : order) {
        if (letter->empty()) continue;
        std::string upper = packed;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        std::size_t pos = upper.find(*letter);
        if (pos == std::string::npos) continue;
        std::size_t end = pos + letter->size();
        if (end < packed.size() && packed[end] != kMark) ++end;
        while (end < packed.size() && packed[end] != kMark &&
               !IsNumberTerminator(static_cast<unsigned char>(packed[end])))
            ++end;
        *out = packed.substr(pos, end - pos) + " ";
        packed.erase(pos, end - pos);
    }
    std::size_t next = 0;
    for (char c : packed) s.rest += c == kMark ? comments[next++] : std::string(1, c);
    return s;
}

}  // namespace

TEST(SplitWords, AgreesWithCuttingWordsOutOneByOne) {
    std::mt19937 rng(5);
    const std::string alphabet = "GMNXYZRIJKgxmnyz0123456789.-+ ()eE;%\t";
    Letters plain, swapped, sparse;
    swapped.X = "Y", swapped.Y = "X", swapped.I = "J", swapped.J = "I";
    sparse.K = "", sparse.R = "";
    for (int n = 0; n < 20000; ++n) {
        std::string line;
        const int len = static_cast<int>(rng() % (n % 50 == 0 ? 300 : 30));
        for (int i = 0; i < len; ++i) line.push_back(alphabet[rng() % alphabet.size()]);
        for (const Letters* L : {&plain, &swapped, &sparse}) {
            SplitLine a = SplitWords(line, *L), b = splitByCutting(line, *L);
            ASSERT_EQ(std::tie(a.G, a.M, a.N, a.X, a.Y, a.Z, a.R, a.I, a.J, a.K, a.rest),
                      std::tie(b.G, b.M, b.N, b.X, b.Y, b.Z, b.R, b.I, b.J, b.K, b.rest))
                << "line: " << line;
        }
    }
}

namespace {
// The reading rule written out plainly: blanks dropped, the first character
// always taken, then up to a terminator; ".5", "-.5" and "1.5." repaired;
// [+-] digits [. digits] [e [+-] digits] read as the nearest long double,
// then float.
WordRead referenceNumber(std::string_view after) {
    std::string t;
    for (char c : after) {
        if (c == ' ' || c == '\t') continue;
        if (!t.empty() && IsNumberTerminator(static_cast<unsigned char>(c))) break;
        t += c;
    }
    auto decimal = [](const std::string& s) {
        std::size_t i = 0, digits = 0;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
        bool period = false;
        if (i < s.size() && s[i] == '.') {
            period = true;
            for (++i; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) ++digits;
        }
        if (digits == 0 && !period) return false;
        if (i < s.size() && s[i] == 'e') {
            ++i;
            if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
            std::size_t e = 0;
            while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++e;
            if (e == 0) return false;
        }
        return i == s.size();
    };
    auto value = [](const std::string& s) {
        bool digit = false;
        for (char c : s) digit |= std::isdigit(static_cast<unsigned char>(c)) != 0;
        if (digit) return static_cast<float>(std::strtold(s.c_str(), nullptr));
        return s[0] == '-' ? -0.0f : 0.0f;  // "." and "-." are zero, signed
    };
    if (decimal(t)) return {value(t), true};
    if (!t.empty() && t[0] == '.') t.insert(0, "0");
    if (t.size() >= 2 && t[0] == '-' && t[1] == '.') t.insert(1, "0");
    if (!t.empty() && t.back() == '.') t.pop_back();
    if (decimal(t)) return {value(t), true};
    return {};
}
}  // namespace

TEST(WordValue, PlainNumbersReadInPlaceAgreeWithTheReadingRule) {
    // Numbers as programs write them and their near misses: signs, leading
    // zeros, up to 22 digits, periods, blanks inside, and what follows.
    std::mt19937 rng(11);
    const char* after[] = {"", " Y1", "(C)", ";", "-2", "e3", "e", ".", "x", "\t", "\x80", "E5", "+", ","};
    for (int n = 0; n < 200000; ++n) {
        std::string t;
        const unsigned r = rng();
        if (r % 4 == 1) t += '-';
        if (r % 4 == 2) t += '+';
        const int zeros = (r >> 2) % 4 == 0 ? static_cast<int>(rng() % 5) : 0;
        t.append(zeros, '0');
        const int whole = static_cast<int>(rng() % 12), frac = static_cast<int>(rng() % 12);
        for (int i = 0; i < whole; ++i) t += static_cast<char>('0' + rng() % 10);
        if (rng() % 4) t += '.';
        for (int i = 0; i < frac; ++i) t += static_cast<char>('0' + rng() % 10);
        if (rng() % 8 == 0 && !t.empty()) t.insert(rng() % t.size(), rng() % 2 ? " " : "\t");
        t += after[rng() % std::size(after)];
        const std::string line = "X" + t;
        const WordRead got = WordValue("X", line), want = referenceNumber(t);
        ASSERT_EQ(got.found, want.found) << line;
        ASSERT_EQ(std::memcmp(&got.value, &want.value, sizeof(float)), 0) << line;
    }
}

namespace {

using Order = std::string (*)(std::string_view, const Letters&);
const Order kOrders[] = {&OrderWordsMFirst, &OrderWordsMLast};

// The words of a line without comments and blanks: each letter with what
// follows it up to the next letter.
std::vector<std::string> wordsOf(std::string_view text) {
    std::vector<std::string> words;
    for (char c : text) {
        if (c == ' ' || c == '\t') continue;
        if (std::isalpha(static_cast<unsigned char>(c)) || words.empty())
            words.emplace_back(1, c);
        else
            words.back() += c;
    }
    std::sort(words.begin(), words.end());
    return words;
}

}  // namespace

TEST(OrderWords, KeepEveryWordAndEveryCommentWhole) {
    // Lines as programs write them: words of many letters in either case,
    // several G and M words, "(...)" comments among them and a ";" comment
    // at the end, now and then longer than 255 characters. The rebuilt line
    // holds the same words (letters as written) and each comment verbatim,
    // in order.
    std::mt19937 rng(35);
    const std::string letters = "GMNXYZIJKRFSTHPDgmnxyzijkrfst";
    const std::string commentChars = "ABC XYZ 123 ;.-";
    for (int n = 0; n < 20000; ++n) {
        std::string line, bare;
        std::vector<std::string> comments;
        auto comment = [&](char open) {
            std::string c(1, open);
            for (std::size_t i = 0, len = rng() % (n % 100 == 0 ? 300 : 12); i < len; ++i) {
                char ch = commentChars[rng() % commentChars.size()];
                if (open == '(' && ch == ';' && rng() % 2) ch = 'Q';
                c += ch;
            }
            if (open == '(') c += ')';
            comments.push_back(c);
            return c;
        };
        for (int w = 0, count = static_cast<int>(rng() % 9); w < count; ++w) {
            if (rng() % 6 == 0) line += comment('(');
            std::string word(1, letters[rng() % letters.size()]);
            if (rng() % 3 == 0) word += '-';
            word += std::to_string(rng() % 1000);
            if (rng() % 2) word += "." + std::to_string(rng() % 1000);
            line += word;
            bare += word;
            if (rng() % 2) line += rng() % 4 ? " " : "\t";
        }
        if (rng() % 3 == 0) line += comment(';');
        for (const Order order : kOrders) {
            const std::string out = order(line, L);
            std::string rest = out;
            std::size_t from = 0;
            for (const std::string& c : comments) {
                const std::size_t at = rest.find(c, from);
                ASSERT_NE(at, std::string::npos) << "comment " << c << " lost from\n" << line << "\n" << out;
                rest.erase(at, c.size());
                from = at;
            }
            ASSERT_EQ(wordsOf(rest), wordsOf(bare)) << line << "\n" << out;
        }
    }
}

TEST(OrderWords, LinuxCncSamplesRunTheSameAfterEitherOrder) {
    // LinuxCNC's own sample programs (lower-case letters, several G words a
    // line, comments), word by word rebuilt: its interpreter must run the
    // very same moves from the result. Read where linuxcnc-uspace installs them.
    const std::filesystem::path dir = "/usr/share/linuxcnc/ncfiles";
    const char* names[] = {"cds.ngc", "tort.ngc", "plasmatest.ngc", "arcspiral.ngc", "3dtest.ngc", "comp.ngc"};
    int read = 0;
    for (const char* name : names) {
        std::ifstream in(dir / name);
        if (!in) continue;
        ++read;
        std::vector<std::string> source;
        for (std::string l; std::getline(in, l);) source.push_back(l);
        std::vector<tolva::test::CanonMove> want;
        ASSERT_NO_FATAL_FAILURE(tolva::test::Rs274(source, want)) << name;
        for (const Order order : kOrders) {
            std::vector<std::string> rebuilt;
            for (const std::string& l : source) rebuilt.push_back(order(l, L));
            std::vector<tolva::test::CanonMove> got;
            ASSERT_NO_FATAL_FAILURE(tolva::test::Rs274(rebuilt, got)) << name;
            ASSERT_EQ(got.size(), want.size()) << name;
            for (std::size_t k = 0; k < got.size(); ++k) {
                ASSERT_EQ(got[k].kind, want[k].kind) << name << " move " << k;
                ASSERT_EQ(std::tie(got[k].x, got[k].y, got[k].z, got[k].cx, got[k].cy, got[k].turn),
                          std::tie(want[k].x, want[k].y, want[k].z, want[k].cx, want[k].cy, want[k].turn))
                    << name << " move " << k;
            }
        }
    }
    if (read == 0) GTEST_SKIP() << "LinuxCNC's sample programs are not installed";
}

TEST(WordOrderPass, EveryLineIsRebuilt) {
    std::vector<std::string> lines = {"G01 X1 N10 M3 F100", "X2 G00", ""};
    OrderAllLinesMFirst(lines, Letters{});
    EXPECT_EQ(lines, (std::vector<std::string>{"N10 G01 M3 X1 F100", "G00 X2 ", ""}));
    OrderAllLinesMLast(lines, Letters{});
    EXPECT_EQ(lines[0], "N10 G01 X1 M3 F100");
}

TEST(WordOrderPass, LinesLongerThan255AreOrderedWhole) {
    const std::string comment = "(" + std::string(300, 'C') + ")";
    std::vector<std::string> lines = {"Y2 X1 " + comment + " Z9", "Y2 X1 (SHORT)"};
    OrderAllLinesMFirst(lines, Letters{});
    EXPECT_EQ(lines, (std::vector<std::string>{"X1 Y2 Z9 " + comment, "X1 Y2 (SHORT)"}));
    OrderAllLinesMLast(lines, Letters{});
    EXPECT_EQ(lines[0], "X1 Y2 Z9 " + comment);
}
