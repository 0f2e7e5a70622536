#include "app/find_core.h"

#include <algorithm>
#include <climits>

#include "text/compress.h"

namespace tolva {
namespace {

struct CaseTables {
    unsigned char upper[256];
    unsigned char same[256];
    CaseTables() {
        for (int c = 0; c < 256; ++c) {
            same[c] = static_cast<unsigned char>(c);
            int u = c;
            if (c >= 'a' && c <= 'z') u = c - 32;
            // Windows-1252 small letters with accents, and the few that sit
            // elsewhere in the code page.
            if (c >= 0xE0 && c <= 0xFE && c != 0xF7) u = c - 32;
            if (c == 0x9A) u = 0x8A;
            if (c == 0x9C) u = 0x8C;
            if (c == 0x9E) u = 0x8E;
            if (c == 0xFF) u = 0x9F;
            upper[c] = static_cast<unsigned char>(u);
        }
    }
};
const CaseTables kCase;

bool delim(unsigned char c) {
    return !((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'));
}

// Knuth-Morris-Pratt over mapped characters: linear in the buffer whatever
// the search text, so a 10,000-character text cannot stall the window.
class Matcher {
public:
    Matcher(std::string_view text, const FindOptions& o, bool reverse)
        : map_(o.matchCase ? kCase.same : kCase.upper), pat_(text.size(), '\0'), fail_(text.size(), 0) {
        const std::size_t m = text.size();
        for (std::size_t i = 0; i < m; ++i)
            pat_[i] = static_cast<char>(map_[static_cast<unsigned char>(reverse ? text[m - 1 - i] : text[i])]);
        for (std::size_t i = 1, j = 0; i < m; ++i) {
            while (j > 0 && pat_[i] != pat_[j]) j = fail_[j - 1];
            if (pat_[i] == pat_[j]) ++j;
            fail_[i] = j;
        }
    }
    std::size_t size() const { return pat_.size(); }

    // Matches starting at w in [from, to], in increasing order; the first one
    // `accept` takes.
    template <class Accept>
    std::optional<std::size_t> forward(std::string_view b, std::size_t from, std::size_t to, Accept accept) const {
        const std::size_t m = pat_.size();
        if (m == 0 || from > to || to + m > b.size()) return std::nullopt;
        std::size_t j = 0;
        for (std::size_t i = from, end = to + m; i < end; ++i) {
            char c = static_cast<char>(map_[static_cast<unsigned char>(b[i])]);
            while (j > 0 && pat_[j] != c) j = fail_[j - 1];
            if (pat_[j] == c) ++j;
            if (j == m) {
                std::size_t w = i + 1 - m;
                if (accept(w)) return w;
                j = fail_[j - 1];
            }
        }
        return std::nullopt;
    }

    // Matches starting at w in [0, hi], in decreasing order (the matcher
    // must have been built reversed).
    template <class Accept>
    std::optional<std::size_t> backward(std::string_view b, std::size_t hi, Accept accept) const {
        const std::size_t m = pat_.size();
        if (m == 0 || hi + m > b.size()) return std::nullopt;
        std::size_t j = 0;
        for (std::size_t i = hi + m; i-- > 0;) {
            char c = static_cast<char>(map_[static_cast<unsigned char>(b[i])]);
            while (j > 0 && pat_[j] != c) j = fail_[j - 1];
            if (pat_[j] == c) ++j;
            if (j == m) {
                if (accept(i)) return i;
                j = fail_[j - 1];
            }
        }
        return std::nullopt;
    }

private:
    const unsigned char* map_;
    std::string pat_;
    std::vector<std::size_t> fail_;
};

bool wordStart(std::string_view b, std::size_t w) {
    return !delim(static_cast<unsigned char>(b[w])) && (w == 0 || delim(static_cast<unsigned char>(b[w - 1])));
}

// First match at or after `from` (whole word: a word start after `from`).
std::optional<std::size_t> findDown(const Matcher& mt, std::string_view b, std::size_t from, bool wholeWord) {
    const std::size_t m = mt.size();
    if (from > b.size() || b.size() - from < m) return std::nullopt;
    return mt.forward(b, from, b.size() - m, [&](std::size_t w) {
        if (!wholeWord) return true;
        return w > from && wordStart(b, w) && (w + m == b.size() || delim(static_cast<unsigned char>(b[w + m])));
    });
}

// Last match ending at or before `limit`. `after` is the character that
// follows position `limit` (-1: the end of the text).
std::optional<std::size_t> findUp(const Matcher& mt, std::string_view b, std::size_t limit, int after,
                                  bool wholeWord) {
    const std::size_t m = mt.size();
    if (limit < m) return std::nullopt;
    return mt.backward(b, limit - m, [&](std::size_t w) {
        if (!wholeWord) return true;
        if (!wordStart(b, w)) return false;
        int next = w + m == limit ? after : static_cast<unsigned char>(b[w + m]);
        return next < 0 || delim(static_cast<unsigned char>(next));
    });
}

bool trimmedEmpty(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) > ' ') return false;
    return true;
}

bool has(std::string_view line, std::string_view text) {
    return !trimmedEmpty(text) && line.find(text) != std::string_view::npos;
}

}  // namespace

bool IsWholeWordDelimiter(unsigned char c) { return delim(c); }
unsigned char AnsiUpper(unsigned char c) { return kCase.upper[c]; }

std::optional<std::size_t> FindInBuffer(std::string_view buffer, std::size_t selStart, std::size_t selLength,
                                        std::string_view text, const FindOptions& options) {
    if (buffer.empty() || text.empty()) return std::nullopt;
    const std::size_t n = buffer.size();
    if (options.down) {
        if (selStart > n || selLength > n - selStart) return std::nullopt;
        Matcher mt(text, options, false);
        return findDown(mt, buffer, selStart + selLength, options.wholeWord);
    }
    if (selStart > n) selStart = n;
    Matcher mt(text, options, true);
    int after = selStart < n ? static_cast<unsigned char>(buffer[selStart]) : -1;
    return findUp(mt, buffer, selStart, after, options.wholeWord);
}

std::string CannotFindMessage(std::string_view text) {
    constexpr std::size_t kShown = 80;
    std::string shown(text.substr(0, kShown));
    if (text.size() > kShown) shown += "...";
    return "Cannot find \"" + shown + "\".";
}

bool SelectionMatches(std::string_view selected, std::string_view text, const FindOptions& options) {
    if (selected.size() != text.size() || text.empty()) return false;
    const unsigned char* map = options.matchCase ? kCase.same : kCase.upper;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (map[static_cast<unsigned char>(selected[i])] != map[static_cast<unsigned char>(text[i])]) return false;
    return true;
}

ReplaceAllResult ReplaceAll(std::string_view buffer, std::size_t selStart, std::size_t selLength,
                            std::string_view text, std::string_view with, const FindOptions& options) {
    ReplaceAllResult r;
    const std::size_t n = buffer.size(), m = text.size();
    if (n == 0 || m == 0 || selStart > n || selLength > n - selStart) {
        r.selStart = selStart;
        r.selLength = selLength;
        return r;
    }
    const bool first = SelectionMatches(buffer.substr(selStart, selLength), text, options);
    std::vector<std::size_t> hits;  // match positions in the old buffer, in the order replaced
    if (first) hits.push_back(selStart);

    if (options.down) {
        Matcher mt(text, options, false);
        std::size_t from = selStart + selLength;
        while (auto w = findDown(mt, buffer, from, options.wholeWord)) {
            hits.push_back(*w);
            from = *w + m;
        }
    } else {
        Matcher mt(text, options, true);
        // Text at and after `limit` is the run's own: never searched again.
        std::size_t limit = selStart;
        int after;
        if (first)
            after = !with.empty() ? static_cast<unsigned char>(with[0])
                    : selStart + m < n ? static_cast<unsigned char>(buffer[selStart + m])
                                       : -1;
        else
            after = selStart < n ? static_cast<unsigned char>(buffer[selStart]) : -1;
        while (auto w = findUp(mt, buffer, limit, after, options.wholeWord)) {
            hits.push_back(*w);
            if (!with.empty())
                after = static_cast<unsigned char>(with[0]);
            else if (*w + m < limit)
                after = static_cast<unsigned char>(buffer[*w + m]);
            limit = *w;
        }
        std::reverse(hits.begin(), hits.end());
    }
    if (hits.empty()) {
        r.selStart = selStart;
        r.selLength = selLength;
        return r;
    }
    r.count = hits.size();
    r.begin = hits.front();
    r.endOld = hits.back() + m;
    r.replacement.reserve(r.endOld - r.begin + hits.size() * with.size());
    std::size_t at = r.begin;
    for (std::size_t w : hits) {
        r.replacement.append(buffer.substr(at, w - at));
        r.replacement.append(with);
        at = w + m;
    }
    // The caret ends behind the replacement made last: the last one going
    // down, the first one (lowest) going up.
    r.selStart = options.down ? r.begin + r.replacement.size() : r.begin + with.size();
    r.selLength = 0;
    return r;
}

std::size_t FindAndInsert(std::vector<std::string>& lines, const InsertTexts& e) {
    enum : unsigned char { kA = 1, kB = 2, kC = 4, kD = 8 };
    struct Line {
        std::string text;
        unsigned char rules;  // rules that this line came from, directly or not
    };
    std::vector<std::string> out;
    out.reserve(lines.size());
    std::vector<Line> pending;  // inserted lines still to examine; the next one is at the back
    std::vector<Line> after;    // lines inserted after the current line, in order
    std::size_t input = 0, inserted = 0;

    while (!pending.empty() || input < lines.size()) {
        Line cur;
        if (!pending.empty()) {
            cur = std::move(pending.back());
            pending.pop_back();
        } else {
            cur = {std::move(lines[input++]), 0};
        }
        after.clear();
        auto nextLine = [&]() -> const std::string* {
            if (!after.empty()) return &after.front().text;
            if (!pending.empty()) return &pending.back().text;
            if (input < lines.size()) return &lines[input];
            return nullptr;
        };
        const bool notFirst = !out.empty();
        const bool a = !(cur.rules & kA), b = !(cur.rules & kB);
        if (b && !trimmedEmpty(e[5]) && has(cur.text, e[0])) after.insert(after.begin(), {e[5], static_cast<unsigned char>(cur.rules | kB)});
        if (a && !trimmedEmpty(e[3]) && has(cur.text, e[1])) after.insert(after.begin(), {e[3], static_cast<unsigned char>(cur.rules | kA)});
        if (notFirst && a && !trimmedEmpty(e[2]) && has(cur.text, e[1])) out.push_back(e[2]), ++inserted;
        if (notFirst && b && !trimmedEmpty(e[4]) && has(cur.text, e[0])) out.push_back(e[4]), ++inserted;
        struct Between {
            unsigned char bit;
            int below, above, text;
        };
        for (Between rule : {Between{kC, 6, 7, 8}, Between{kD, 9, 10, 11}}) {
            if (cur.rules & rule.bit) continue;
            if (trimmedEmpty(e[rule.below]) || trimmedEmpty(e[rule.above])) continue;
            const std::string* next = nextLine();
            if (next && has(cur.text, e[rule.below]) && has(*next, e[rule.above]))
                after.insert(after.begin(), {e[rule.text], static_cast<unsigned char>(cur.rules | rule.bit)});
        }
        inserted += after.size();
        out.push_back(std::move(cur.text));
        for (auto it = after.rbegin(); it != after.rend(); ++it) pending.push_back(std::move(*it));
    }
    lines.swap(out);
    return inserted;
}

bool FindAndInsertRun(std::vector<std::string>& lines, const InsertTexts& edit, const AxisCodes& codes, Host* host) {
    bool changed = FindAndInsert(lines, edit) > 0;
    if (!ContainsCode(lines, codes.Code(LabelRow::Incremental))) changed |= RemoveDup(0, lines, codes, host).changed;
    return changed;
}

int CellCode(std::string_view cell) {
    std::size_t b = cell.find_first_not_of(' ');
    if (b == std::string_view::npos) return -1;
    std::size_t e = cell.find_last_not_of(' ');
    cell = cell.substr(b, e - b + 1);
    if (!cell.empty() && cell[0] == '+') cell.remove_prefix(1);
    if (cell.empty()) return -1;
    long long v = 0;
    for (char c : cell) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
        if (v > INT_MAX) return -1;  // not a whole number the grid takes
    }
    if (v <= 0) return -1;
    int code = static_cast<int>(v % 256);
    if (code == '\n' || code == '\r') return -1;
    return code;
}

std::string LineFromCodeCells(const std::vector<std::string>& cells) {
    std::string line;
    for (const auto& cell : cells) {
        int code = CellCode(cell);
        if (code >= 0 && line.size() < kMaxLine) line.push_back(static_cast<char>(code));
    }
    return line;
}

std::vector<std::string> CodeCellsOfLine(std::string_view line) {
    std::vector<std::string> cells;
    line = line.substr(0, std::min(line.size(), kMaxLine));
    cells.reserve(line.size());
    for (char c : line) cells.push_back(std::to_string(static_cast<unsigned char>(c)));
    return cells;
}

}  // namespace tolva
