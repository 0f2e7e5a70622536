#include "app/find_core.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace tolva;
using Lines = std::vector<std::string>;

namespace {

FindOptions down(bool wholeWord = false, bool matchCase = false) { return {true, matchCase, wholeWord}; }
FindOptions up(bool wholeWord = false, bool matchCase = false) { return {false, matchCase, wholeWord}; }

std::optional<std::size_t> find(std::string_view buf, std::size_t caret, std::string_view text, FindOptions o) {
    return FindInBuffer(buf, caret, 0, text, o);
}

AxisCodes MillCodes() {
    LabelTable t;
    const std::pair<int, const char*> cells[] = {{LabelRow::ArcCw, "G02"}, {LabelRow::ArcCcw, "G03"},
                                                 {LabelRow::Incremental, "G91"}};
    for (auto& [row, code] : cells) t.SetCell(1, row, code);
    const char* letters = "NRIJKXYZ";
    for (int i = 0; i < 8; ++i) t.SetCell(1, LabelRow::NLetter + i, std::string(1, letters[i]));
    return MakeAxisCodes(t, false, false);
}

}  // namespace

// ------------------------------------------------------------------ find

TEST(FindInBuffer, WholeWordDoesNotFindX1InsideX10) {
    const std::string buf = "G01 X10 Y2\nX1 Y3";
    EXPECT_EQ(find(buf, 0, "X1", down()), 4u);
    EXPECT_EQ(find(buf, 0, "X1", down(true)), 11u);
    // Caret in front of X10: the X1 of X10 without whole word, not with it.
    EXPECT_EQ(find(buf, 4, "X1", down()), 4u);
    EXPECT_EQ(find(buf, 4, "X1", down(true)), 11u);
    EXPECT_EQ(find("G01 X10 Y2", 0, "X1", down(true)), std::nullopt);
    // Searching up, the same rule.
    EXPECT_EQ(find(buf, buf.size(), "X1", up(true)), 11u);
    EXPECT_EQ(find(buf, 11, "X1", up(true)), std::nullopt);
    EXPECT_EQ(find(buf, 11, "X1", up()), 4u);
}

TEST(FindInBuffer, WholeWordAtTheStartPositionIsSkippedButWordsAtTheEdgesAreFound) {
    EXPECT_EQ(find("X1 X1", 0, "X1", down(true)), 3u);   // the word at the caret is skipped
    EXPECT_EQ(find("A X1", 0, "X1", down(true)), 2u);    // the last word of the text
    EXPECT_EQ(find("AX1", 0, "X1", down(true)), std::nullopt);
    EXPECT_EQ(find("X1 AB", 5, "X1", up(true)), 0u);     // the first word of the text
    EXPECT_EQ(find("X10 A", 5, "X1", up(true)), std::nullopt);
    EXPECT_EQ(find("(X1)", 0, "X1", down(true)), 1u);    // brackets are delimiters
}

TEST(FindInBuffer, DirectionStartsFromTheSelection) {
    const std::string buf = "G00 G00 G00";
    EXPECT_EQ(FindInBuffer(buf, 4, 3, "G00", down()), 8u);  // behind the selection
    EXPECT_EQ(FindInBuffer(buf, 4, 3, "G00", up()), 0u);     // ending before its start
    EXPECT_EQ(FindInBuffer(buf, 8, 3, "G00", down()), std::nullopt);
    EXPECT_EQ(FindInBuffer(buf, 0, 0, "G00", up()), std::nullopt);
    EXPECT_EQ(FindInBuffer(buf, 20, 0, "G00", down()), std::nullopt);  // past the end
    EXPECT_EQ(FindInBuffer(buf, 20, 0, "G00", up()), 8u);
    EXPECT_EQ(FindInBuffer("", 0, 0, "G00", down()), std::nullopt);
    EXPECT_EQ(FindInBuffer(buf, 0, 0, "", down()), std::nullopt);
}

TEST(FindInBuffer, CaseFollowsTheAnsiUpperCaseUnlessMatchCase) {
    EXPECT_EQ(find("x1 g01", 0, "G01", down()), 3u);
    EXPECT_EQ(find("x1 g01", 0, "G01", down(false, true)), std::nullopt);
    EXPECT_EQ(find("caf\xE9", 0, "CAF\xC9", down()), 0u);  // é and É
    EXPECT_EQ(find("\xFF", 0, "\x9F", down()), 0u);        // ÿ and Ÿ
    EXPECT_EQ(AnsiUpper('a'), 'A');
    EXPECT_EQ(AnsiUpper(0xF7), 0xF7);  // the division sign has no capital
    EXPECT_TRUE(IsWholeWordDelimiter('_'));
    EXPECT_FALSE(IsWholeWordDelimiter('7'));
    EXPECT_TRUE(IsWholeWordDelimiter(0xE9));
}

TEST(FindInBuffer, LongSearchTextsStayLinear) {
    // 10,000 characters that almost match everywhere: a naive comparison
    // would need some 10^10 steps here.
    std::string buf(2'000'000, 'a');
    std::string text(10'000, 'a');
    text[0] = 'b';
    EXPECT_EQ(find(buf, 0, text, down()), std::nullopt);
    EXPECT_EQ(find(buf, buf.size(), text, up()), std::nullopt);
    text[0] = 'a';
    EXPECT_EQ(find(buf, 5, text, down()), 5u);
    EXPECT_EQ(find("short", 0, text, down()), std::nullopt);
}

TEST(FindMessages, CannotFindQuotesTheTextAndShortensAHugeOne) {
    EXPECT_EQ(CannotFindMessage("G00"), "Cannot find \"G00\".");
    std::string huge(10'000, 'Q');
    std::string m = CannotFindMessage(huge);
    EXPECT_EQ(m, "Cannot find \"" + std::string(80, 'Q') + "...\".");
}

// --------------------------------------------------------------- replace

namespace {

struct Outcome {
    std::string text;
    std::size_t selStart, selLength;
    bool operator==(const Outcome& o) const {
        return text == o.text && selStart == o.selStart && selLength == o.selLength;
    }
};

// Replace with replace all, one match at a time, as the dialog's event does it.
Outcome loop(std::string buf, std::size_t s, std::size_t l, const std::string& text, const std::string& with,
             FindOptions o) {
    if (s + l <= buf.size() && SelectionMatches(std::string_view(buf).substr(s, l), text, o)) {
        buf.replace(s, l, with);
        s += with.size();
        l = 0;
    }
    for (int guard = 0; guard < 100000; ++guard) {
        auto w = FindInBuffer(buf, s, l, text, o);
        if (!w) break;
        buf.replace(*w, text.size(), with);
        s = *w + with.size();
        l = 0;
    }
    return {buf, s, l};
}

Outcome single(const std::string& buf, std::size_t s, std::size_t l, const std::string& text,
               const std::string& with, FindOptions o) {
    ReplaceAllResult r = ReplaceAll(buf, s, l, text, with, o);
    std::string out = buf;
    if (r.count) out.replace(r.begin, r.endOld - r.begin, r.replacement);
    return {out, r.selStart, r.selLength};
}

}  // namespace

TEST(ReplaceAll, ChangesEveryMatchAfterTheCaretAndOnlyThose) {
    const std::string buf = "G00 X1\nG00 X2\nG00 X3";
    Outcome o = single(buf, 7, 0, "G00", "G0", down());
    EXPECT_EQ(o.text, "G00 X1\nG0 X2\nG0 X3");
    EXPECT_EQ(o.selStart, 15u);  // behind the last replacement
    EXPECT_EQ(o.selLength, 0u);
    // A selection holding the text is replaced first.
    EXPECT_EQ(single(buf, 0, 3, "g00", "G0", down()).text, "G0 X1\nG0 X2\nG0 X3");
    // Nothing found: text and selection stay.
    Outcome none = single(buf, 2, 1, "M30", "M2", down());
    EXPECT_EQ(none, (Outcome{buf, 2, 1}));
}

TEST(ReplaceAll, GivesTheSameTextAndSelectionAsReplacingOneMatchAtATime) {
    std::mt19937 rng(20240607);
    const std::string alphabet = "aAb1 \n(";
    auto word = [&](std::size_t maxLen, std::size_t minLen) {
        std::string s;
        std::size_t n = minLen + rng() % (maxLen - minLen + 1);
        for (std::size_t i = 0; i < n; ++i) s += alphabet[rng() % alphabet.size()];
        return s;
    };
    int changed = 0;
    for (int trial = 0; trial < 4000; ++trial) {
        std::string buf = word(60, 0), text = word(3, 1), with = word(4, 0);
        FindOptions o{true, rng() % 2 == 0, rng() % 2 == 0};
        std::size_t s = buf.empty() ? 0 : rng() % (buf.size() + 1);
        std::size_t l = s < buf.size() ? rng() % std::min<std::size_t>(4, buf.size() - s + 1) : 0;
        if (rng() % 2) {
            o.down = false;
            // Going up, the loop would search the replacement it just made;
            // with no character in common neither can match across it.
            std::string safe;
            for (char c : with) {
                bool shared = false;
                for (char t : text) shared |= AnsiUpper(static_cast<unsigned char>(c)) == AnsiUpper(static_cast<unsigned char>(t));
                if (!shared) safe += c;
            }
            with = safe;
        }
        Outcome a = loop(buf, s, l, text, with, o), b = single(buf, s, l, text, with, o);
        ASSERT_EQ(a, b) << "buf=[" << buf << "] text=[" << text << "] with=[" << with << "] sel=" << s << "," << l
                        << " down=" << o.down << " case=" << o.matchCase << " word=" << o.wholeWord;
        changed += a.text != buf;
    }
    EXPECT_GT(changed, 500);  // the trials did replace things
}

TEST(ReplaceAll, UpwardsAReplacementContainingTheTextIsNotReplacedAgain) {
    Outcome o = single("G0 G0 G0", 8, 0, "G0", "G00", up());
    EXPECT_EQ(o.text, "G00 G00 G00");
    EXPECT_EQ(o.selStart, 3u);
}

// --------------------------------------------------------- find and insert

namespace {
InsertTexts texts(std::initializer_list<std::pair<int, const char*>> set) {
    InsertTexts e;
    for (auto& [k, v] : set) e[static_cast<std::size_t>(k)] = v;
    return e;
}
}  // namespace

TEST(FindAndInsert, NeverInsertsBeforeTheFirstLine) {
    Lines p{"M06 T1", "G00 X0", "M06 T2"};
    FindAndInsert(p, texts({{1, "M06"}, {2, "G40"}}));
    EXPECT_EQ(p, (Lines{"M06 T1", "G00 X0", "G40", "M06 T2"}));
    Lines q{"T1", "T1"};
    FindAndInsert(q, texts({{0, "T1"}, {4, "M01"}}));
    EXPECT_EQ(q, (Lines{"T1", "M01", "T1"}));
}

TEST(FindAndInsert, InsertsBetweenARapidAndAFollowingCut) {
    Lines p{"G00 X0", "G01 X1", "G01 X2", "G00 X5", "M30"};
    EXPECT_EQ(FindAndInsert(p, texts({{6, "G00"}, {7, "G01"}, {8, "M03"}})), 1u);
    EXPECT_EQ(p, (Lines{"G00 X0", "M03", "G01 X1", "G01 X2", "G00 X5", "M30"}));
}

TEST(FindAndInsert, AfterTextsComeInFieldOrderAndBlankSearchTextsNeverMatch) {
    Lines p{"A", "T1 M06", "B"};
    FindAndInsert(p, texts({{0, "T1"}, {5, "after T"}, {1, "M06"}, {3, "after M"}, {2, "before M"}, {4, "before T"}}));
    EXPECT_EQ(p, (Lines{"A", "before M", "before T", "T1 M06", "after M", "after T", "B"}));
    Lines q{"A", "B"};
    EXPECT_EQ(FindAndInsert(q, texts({{1, " "}, {3, "X"}, {0, "A"}, {5, "  \t"}})), 0u);
    EXPECT_EQ(q, (Lines{"A", "B"}));
}

TEST(FindAndInsert, ATextHoldingItsOwnSearchTextIsInsertedOncePerMatch) {
    Lines p{"M06", "X1", "M06"};
    FindAndInsert(p, texts({{1, "M06"}, {3, "M06 AGAIN"}}));
    EXPECT_EQ(p, (Lines{"M06", "M06 AGAIN", "X1", "M06", "M06 AGAIN"}));
    // Two rules feeding each other end too.
    Lines q{"T1"};
    FindAndInsert(q, texts({{0, "T1"}, {5, "M06"}, {1, "M06"}, {3, "T1"}}));
    EXPECT_EQ(q, (Lines{"T1", "M06", "T1"}));
    // Between-rule whose text holds its own "below" text.
    Lines r{"G00", "G01"};
    FindAndInsert(r, texts({{6, "G00"}, {7, "G01"}, {8, "G00 M03"}}));
    EXPECT_EQ(r, (Lines{"G00", "G00 M03", "G01"}));
}

TEST(FindAndInsert, InsertedLinesAreStillExaminedByTheOtherRules) {
    // The line inserted after T1 holds M06, so rule A inserts after it.
    Lines p{"T1", "X0"};
    FindAndInsert(p, texts({{0, "T1"}, {5, "M06"}, {1, "M06"}, {3, "G43"}}));
    EXPECT_EQ(p, (Lines{"T1", "M06", "G43", "X0"}));
}

TEST(FindAndInsert, TheRunCompressesAfterwardsButNotAnIncrementalProgram) {
    Lines p{"G00 X0", "M03", "G01 X1", "G01 X1"};
    EXPECT_TRUE(FindAndInsertRun(p, texts({{6, "G00"}, {7, "M03"}, {8, "M03"}}), MillCodes()));
    EXPECT_EQ(p, (Lines{"G00 X0", "M03", "G01 X1"}));
    Lines q{"G91", "G01 X1", "G01 X1"};
    FindAndInsertRun(q, texts({}), MillCodes());
    EXPECT_EQ(q, (Lines{"G91", "G01 X1", "G01 X1"}));
}

// ------------------------------------------------------ decimal ASCII editor

TEST(DecimalEditor, CodesOfALine) {
    EXPECT_EQ(CodeCellsOfLine("A\tB"), (std::vector<std::string>{"65", "9", "66"}));
    EXPECT_EQ(CodeCellsOfLine(std::string("\0\xFF", 2)), (std::vector<std::string>{"0", "255"}));
    EXPECT_EQ(CodeCellsOfLine(std::string(300, 'x')).size(), 255u);
}

TEST(DecimalEditor, LineFromCellsSkipsWhatIsNotAPositiveWholeNumber) {
    // A typed 9 is a tab; 0, blanks, words and negatives are skipped; 321 is 65.
    EXPECT_EQ(LineFromCodeCells({"71", "", "9", "x", "0", "-3", "48", " 49 ", "1.5", "321"}), "G\t01A");
    EXPECT_EQ(LineFromCodeCells({"255"}), "\xFF");
    EXPECT_EQ(LineFromCodeCells({"256"}), std::string(1, '\0'));
    EXPECT_EQ(LineFromCodeCells({"99999999999999999999", "65"}), "A");
    // Line ends would cut the line in two in the editor.
    EXPECT_EQ(LineFromCodeCells({"65", "10", "13", "266", "66"}), "AB");
    std::vector<std::string> many(300, "66");
    EXPECT_EQ(LineFromCodeCells(many).size(), 255u);
}
