#include "text/compress.h"

#include <algorithm>
#include <cstring>

#include "text/label_code.h"

namespace tolva {
namespace {

const std::string kG = "G", kM = "M";

// Progress and event processing every this many lines.
constexpr std::size_t kProgressStep = 16384;

bool hasPosition(const SplitLine& w) { return !w.X.empty() || !w.Y.empty() || !w.Z.empty(); }
bool hasCentreOrRest(const SplitLine& w) {
    return !w.I.empty() || !w.J.empty() || !w.R.empty() || !w.K.empty() || !w.rest.empty();
}

// Walks the characters of up to three strings, skipping blanks.
struct NoBlanks {
    const std::string_view* parts;
    int count, part = 0;
    std::size_t pos = 0;
    // The next non-blank character, or -1 at the end.
    int next() {
        while (part < count) {
            std::string_view s = parts[part];
            while (pos < s.size()) {
                char c = s[pos++];
                if (c != ' ') return static_cast<unsigned char>(c);
            }
            ++part;
            pos = 0;
        }
        return -1;
    }
};

bool equalWithoutBlanks(const std::string_view* a, int na, const std::string_view* b, int nb) {
    NoBlanks x{a, na}, y{b, nb};
    for (;;) {
        int c = x.next(), d = y.next();
        if (c != d) return false;
        if (c < 0) return true;
    }
}

bool samePosition(const SplitLine& a, const SplitLine& b) {
    const std::string_view pa[] = {a.X, a.Y, a.Z}, pb[] = {b.X, b.Y, b.Z};
    return equalWithoutBlanks(pa, 3, pb, 3);
}

bool sameLine(std::string_view a, std::string_view b) { return equalWithoutBlanks(&a, 1, &b, 1); }

bool blankLine(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

// Rebuilds `line` from `w` in the order N G M X Y Z I J R K rest, leaving out
// the word `skip` points at. The line number stays first: a control refuses
// a block whose N word stands behind other words.
void rebuild(const SplitLine& w, const std::string* skip, std::string& line) {
    const std::string* order[] = {&w.N, &w.G, &w.M, &w.X, &w.Y, &w.Z, &w.I, &w.J, &w.R, &w.K, &w.rest};
    line.clear();
    for (const std::string* part : order)
        if (part != skip) line += *part;
}

char otherCase(char c) {
    if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
    return c;
}

// Whether `letter` (a single character, or empty: never found) can be a word
// of the line: it occurs in either case somewhere.
bool mayHold(std::string_view line, const std::string& letter) {
    if (letter.empty()) return false;
    if (letter.size() != 1) return true;
    return std::memchr(line.data(), letter[0], line.size()) != nullptr ||
           std::memchr(line.data(), otherCase(letter[0]), line.size()) != nullptr;
}

// The G word of a line as SplitWords takes it (G is the first letter taken
// out, so nothing removed before can change it), without its blank.
// Comments are skipped and a comment ends the word, as there.
void gWord(std::string_view line, std::string& word) {
    word.clear();
    const std::size_t n = line.size();
    std::size_t i = 0;
    for (; i < n && line[i] != 'G' && line[i] != 'g'; ++i) {
        if (line[i] == kCommentToEnd) return;
        if (line[i] != kCommentOpen) continue;
        const std::size_t close = line.find(kCommentClose, i + 1);
        if (close == std::string_view::npos) return;
        i = close;
    }
    if (i == n) return;
    word.push_back(line[i]);
    bool first = true;
    for (++i; i < n; ++i) {
        char c = line[i];
        if (IsBlankChar(c)) continue;
        if ((!first && IsNumberTerminator(static_cast<unsigned char>(c))) || c == kCommentOpen || c == kCommentToEnd)
            break;
        word.push_back(c);
        first = false;
    }
}

}  // namespace

void IncMessageErr(Host& host) { host.Message(kIncMessageErrText); }

bool ContainsCode(const std::vector<std::string>& lines, std::string_view code) {
    for (const auto& line : lines)
        if (HasCode(line, code)) return true;
    return false;
}

namespace {

// The codes one pass looks for in every line.
struct PassCodes {
    CodeFinder absolute, incremental, arcCw, arcCcw;
    explicit PassCodes(const AxisCodes& codes)
        : absolute(codes.Code(LabelRow::Absolute)),
          incremental(codes.Code(LabelRow::Incremental)),
          arcCw(codes.Code(LabelRow::ArcCw)),
          arcCcw(codes.Code(LabelRow::ArcCcw)) {}
    bool arc(std::string_view g) const { return arcCw.In(g) || arcCcw.In(g); }
};

// IncrementalAfter, telling also whether the line holds the Incremental code.
bool incrementalAfter(std::string_view line, const PassCodes& codes, bool incremental, bool& holdsIncremental) {
    const std::size_t i = codes.incremental.Find(line);
    holdsIncremental = i != std::string_view::npos;
    const std::size_t a = codes.absolute.Find(line);
    if (a == std::string_view::npos && i == std::string_view::npos) return incremental;
    if (a == std::string_view::npos) return true;
    if (i == std::string_view::npos) return false;
    return i > a;
}

}  // namespace

bool IncrementalAfter(std::string_view line, const AxisCodes& codes, bool incremental) {
    const std::size_t a = FindCode(line, codes.Code(LabelRow::Absolute));
    const std::size_t i = FindCode(line, codes.Code(LabelRow::Incremental));
    if (a == std::string_view::npos && i == std::string_view::npos) return incremental;
    if (a == std::string_view::npos) return true;
    if (i == std::string_view::npos) return false;
    return i > a;
}

CompressResult RemoveDup(int super, std::vector<std::string>& lines, const AxisCodes& codes, Host* host,
                         const CompressPlotLink* plot) {
    CompressResult result;
    const Letters& letters = codes.letters;
    const PassCodes find(codes);

    // The pass deletes line i and steps back, which on a vector would be
    // quadratic. Instead lines[0..w) are the lines before line i (final once
    // the pass has left them) and lines[k] is line i, lines[k+1] line i+1.
    const std::size_t n = lines.size();
    std::size_t w = 0, k = 0;
    // The words of line i and of line i+1. Moving to the next line hands
    // line i+1's words over by swapping the two pointers, not the strings.
    SplitLine wordsA, wordsB;
    SplitLine* pa = &wordsA;
    SplitLine* pb = &wordsB;
    bool nextSplit = false;  // B holds the words of lines[k] as it now stands
    std::string remembered;  // super mode: X, Y, Z words of the last plain position
    std::string scratch;  // a rebuilt line; swapped in, so capacities are reused
    std::string g;        // a G word
    std::size_t nextProgress = kProgressStep;
    bool incBefore = false;  // the distance mode before line i
    // The distance codes of lines[k+1] as read for the pair before, kept
    // while that line stays as it was: each line's codes are read once.
    std::size_t readAt = n;  // lines[readAt] was read, n: none
    bool readBefore = false, readAfter = false, readHoldsInc = false;

    while (k < n) {
        std::string& cur = lines[k];
        bool curHoldsInc = false;
        bool incA = false;
        if (readAt == k && readBefore == incBefore) {
            incA = readAfter;
            curHoldsInc = readHoldsInc;
        } else {
            incA = incrementalAfter(cur, find, incBefore, curHoldsInc);
        }
        if (plot && curHoldsInc) plot->AbsMode = false;

        const bool hasNext = k + 1 < n;
        // In an incremental stretch a repeated line is a move again: line
        // i+1 is touched only when both lines are absolute.
        bool incNext = false;
        if (hasNext) {
            readAt = k + 1;
            readBefore = incA;
            incNext = readAfter = incrementalAfter(lines[k + 1], find, incA, readHoldsInc);
        } else {
            readAt = n;
        }
        const bool absolutePair = !incA && !(hasNext && incNext);
        // Plain Compress splits only when the position rules can apply: a
        // line with an M, I, J or K word is never dropped for its position,
        // and one with a G word only after an arc.
        bool split = super != 0 || !hasNext;
        if (!split && absolutePair) {
            std::string_view next = lines[k + 1];
            if (!mayHold(next, kM) && !mayHold(next, letters.I) && !mayHold(next, letters.J) &&
                !mayHold(next, letters.K)) {
                split = true;
                if (mayHold(next, kG)) {
                    gWord(cur, g);
                    split = find.arc(g);
                }
            }
        }
        if (split) {
            if (nextSplit)
                std::swap(pa, pb);
            else
                SplitWords(cur, letters, *pa);
            if (hasNext)
                SplitWords(lines[k + 1], letters, *pb);
            else
                for (std::string* w : {&pb->G, &pb->M, &pb->N, &pb->X, &pb->Y, &pb->Z, &pb->I, &pb->J, &pb->R, &pb->K,
                                       &pb->rest})
                    w->clear();
        }
        SplitLine& A = *pa;
        SplitLine& B = *pb;
        bool bCurrent = split;  // B describes lines[k+1]

        if (super && hasNext) {
            std::string& next = lines[k + 1];
            const bool aPlain = !hasCentreOrRest(A) && hasPosition(A);
            if (incA) {
                remembered.clear();  // a relative move: where it ends is not known here
            } else if (aPlain) {
                remembered.clear();
                remembered.append(A.X).append(A.Y).append(A.Z);
            } else if (hasPosition(A)) {
                remembered.clear();
            }
            if (absolutePair && !remembered.empty() && !hasCentreOrRest(B) && hasPosition(B) &&
                B.X.size() + B.Y.size() + B.Z.size() == remembered.size() &&
                remembered.compare(0, B.X.size(), B.X) == 0 &&
                remembered.compare(B.X.size(), B.Y.size(), B.Y) == 0 &&
                remembered.compare(B.X.size() + B.Y.size(), B.Z.size(), B.Z) == 0) {
                next.clear();
                readAt = n;
                bCurrent = false;  // B keeps the words the line had
                result.changed = true;
            }
            if (absolutePair) {
                const std::string* pairs[][2] = {{&A.X, &B.X}, {&A.Y, &B.Y}, {&A.Z, &B.Z}};
                for (auto& p : pairs) {
                    if (*p[0] != *p[1]) continue;
                    rebuild(B, p[1], scratch);
                    if (scratch == next && bCurrent) continue;  // same text, same words
                    if (scratch != next) result.changed = true;
                    next.swap(scratch);
                    readAt = n;
                    SplitWords(next, letters, B);
                    bCurrent = true;
                }
            }
        }

        if (split && hasNext && absolutePair) {
            std::string& next = lines[k + 1];
            bool drop = false;
            if (B.G.empty() && B.M.empty() && B.Z.empty() && B.I.empty() && B.J.empty() && B.K.empty() &&
                B.rest.empty() && samePosition(A, B))
                drop = true;
            if (!drop && find.arc(A.G) && B.I.empty() && B.J.empty() &&
                B.K.empty() && B.M.empty() && samePosition(A, B))
                drop = true;
            if (drop && !next.empty()) {
                next.clear();
                readAt = n;
                result.changed = true;
                bCurrent = false;
            }
        }
        if (hasNext && absolutePair && !lines[k + 1].empty() && sameLine(cur, lines[k + 1])) {
            lines[k + 1].clear();
            readAt = n;
            result.changed = true;
            bCurrent = false;
        }

        incBefore = incA;
        if (blankLine(cur)) {
            result.changed = true;
            ++k;
            if (w > 0) {
                // Line i+1 moves up into place i and is compared with its new successor.
                nextSplit = bCurrent;
            } else {
                // The first line went: what was line i+1 becomes line 0 and the
                // scan goes on after it.
                if (k < n) {
                    if (w != k) lines[w] = std::move(lines[k]);
                    incBefore = IncrementalAfter(lines[w], codes, incBefore);
                    ++w;
                    ++k;
                }
                nextSplit = false;
            }
        } else {
            if (w != k) lines[w] = std::move(lines[k]);
            ++w;
            ++k;
            nextSplit = bCurrent;
        }
        if (host && k >= nextProgress) {
            nextProgress = k + kProgressStep;
            host->Progress(static_cast<int>(static_cast<double>(k) * 1000.0 / static_cast<double>(n)));
            host->ProcessEvents();
        }
    }
    lines.resize(w);
    if (plot) plot->CurLine = static_cast<int>(w);
    return result;
}

CompressResult CompressProgram(int super, std::vector<std::string>& lines, const AxisCodes& codes, Host& host,
                               const CompressPlotLink* plot) {
    return RemoveDup(super, lines, codes, &host, plot);
}

}  // namespace tolva
