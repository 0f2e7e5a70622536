#include "text/label_code.h"

#include "text/gcode_words.h"

namespace tolva {
namespace {

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isNumberChar(char c) { return (c >= '0' && c <= '9') || c == '.'; }
char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::size_t skipBlanks(std::string_view s, std::size_t p) {
    while (p < s.size() && IsBlankChar(s[p])) ++p;
    return p;
}

// The number text starting at `p` (blanks skipped): an optional sign, then
// digits and periods with blanks between them. Returns its end, or `p` when
// no digit or period follows.
std::size_t numberEnd(std::string_view s, std::size_t p) {
    std::size_t q = skipBlanks(s, p);
    if (q < s.size() && (s[q] == '+' || s[q] == '-')) q = skipBlanks(s, q + 1);
    if (q >= s.size() || !isNumberChar(s[q])) return p;
    std::size_t end = q;
    for (; q < s.size(); ++q) {
        if (isNumberChar(s[q]))
            end = q + 1;
        else if (!IsBlankChar(s[q]))
            break;
    }
    return end;
}

// The value of a number text in one spelling: no blanks, no "+", no leading
// zeros before the point nor trailing zeros after it, "-" only when not zero.
// False for a text with two points or too long for `buf`; such texts are
// compared as written.
bool canonical(std::string_view s, char (&buf)[80], std::string_view& out) {
    std::size_t n = 0;
    bool negative = false, point = false, nonZero = false;
    std::size_t i = 0;
    while (i < s.size() && IsBlankChar(s[i])) ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    buf[n++] = '-';
    bool leading = true;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (IsBlankChar(c)) continue;
        if (n + 1 >= sizeof buf) return false;
        if (c == '.') {
            if (point) return false;
            point = true;
            leading = false;
            buf[n++] = '.';
            continue;
        }
        if (leading && c == '0') continue;
        leading = false;
        nonZero |= c != '0';
        buf[n++] = c;
    }
    if (point) {
        while (buf[n - 1] == '0') --n;
        --n;  // the point, now last
    }
    const std::size_t from = negative && nonZero ? 0 : 1;
    out = std::string_view(buf + from, n - from);
    return true;
}

bool sameToken(std::string_view line, const CodeToken& l, std::string_view code, const CodeToken& c) {
    if (l.kind != c.kind) return false;
    if (c.kind != CodeToken::kNumber && !c.HasNumber()) return true;  // a letter alone, or another character
    return l.HasNumber() &&
           SameNumber(line.substr(l.numBegin, l.numEnd - l.numBegin), code.substr(c.numBegin, c.numEnd - c.numBegin));
}

// The search for a code that is text: its characters in order, blanks not
// counting in either, anywhere in the line.
CodeSpan findPlain(std::string_view line, std::string_view code, std::size_t from) {
    std::size_t c0 = 0;
    while (c0 < code.size() && IsBlankChar(code[c0])) ++c0;
    if (c0 == code.size()) return {};
    const char first = code[c0];
    for (std::size_t p = line.find(first, from); p != std::string_view::npos; p = line.find(first, p + 1)) {
        std::size_t i = p + 1, j = c0 + 1;
        for (;;) {
            while (j < code.size() && IsBlankChar(code[j])) ++j;
            if (j == code.size()) return {p, i};
            while (i < line.size() && IsBlankChar(line[i])) ++i;
            if (i == line.size() || line[i] != code[j]) break;
            ++i;
            ++j;
        }
    }
    return {};
}

// A code of one word ("G91", "X"), the common case. Outside comments every
// letter starts a word (a number holds none), so the line is scanned for the
// word's letter alone and only its words are read: the same words the token
// walk would reach, without reading the others. `canon` is the code's number
// in canonical() spelling, or null to compare with SameNumber.
CodeSpan findWord(std::string_view line, std::string_view code, const CodeToken& first, const std::string_view* canon,
                  std::size_t from) {
    const char up = static_cast<char>(first.kind), low = static_cast<char>(first.kind - 'A' + 'a');
    const std::string_view number = code.substr(first.numBegin, first.numEnd - first.numBegin);
    const std::size_t n = line.size();
    for (std::size_t p = from; p < n; ++p) {
        const char c = line[p];
        if (c == kCommentToEnd) return {};
        if (c == kCommentOpen) {
            p = line.find(kCommentClose, p + 1);
            if (p == std::string_view::npos) return {};
            continue;
        }
        if (c != up && c != low) continue;
        const std::size_t e = numberEnd(line, p + 1);
        if (!first.HasNumber()) return {p, e};
        if (e == p + 1) continue;  // the letter alone: not the code's word
        const std::size_t b = skipBlanks(line, p + 1);
        const std::string_view text = line.substr(b, e - b);
        char buf[80];
        std::string_view mine;
        if (canon && canonical(text, buf, mine) ? mine == *canon : SameNumber(text, number)) return {p, e};
    }
    return {};
}

// A code of one word, or npos.
bool oneWord(std::string_view code, CodeToken& first) {
    CodeToken second;
    return IsWordCode(code) && NextCodeToken(code, 0, first) && first.kind < CodeToken::kNumber &&
           isLetter(static_cast<char>(first.kind)) && !NextCodeToken(code, first.end, second);
}

}  // namespace

bool NextCodeToken(std::string_view s, std::size_t p, CodeToken& t) {
    for (;;) {
        p = skipBlanks(s, p);
        if (p >= s.size() || s[p] == kCommentToEnd) return false;
        if (s[p] != kCommentOpen) break;
        const std::size_t close = s.find(kCommentClose, p + 1);
        if (close == std::string_view::npos) return false;
        p = close + 1;
    }
    t.begin = p;
    const char c = s[p];
    if (isLetter(c)) {
        t.kind = upper(c);
        const std::size_t e = numberEnd(s, p + 1);
        t.numBegin = e == p + 1 ? e : skipBlanks(s, p + 1);
        t.numEnd = e;
        t.end = e;
        return true;
    }
    if (const std::size_t e = numberEnd(s, p); e != p) {
        t.kind = CodeToken::kNumber;
        t.numBegin = p;
        t.numEnd = t.end = e;
        return true;
    }
    t.kind = static_cast<unsigned char>(c);
    t.numBegin = t.numEnd = p + 1;
    t.end = p + 1;
    return true;
}

bool SameNumber(std::string_view a, std::string_view b) {
    char ba[80], bb[80];
    std::string_view ca, cb;
    if (canonical(a, ba, ca) && canonical(b, bb, cb)) return ca == cb;
    auto packed = [](std::string_view s) {
        std::string out;
        for (char c : s)
            if (!IsBlankChar(c)) out += c;
        return out;
    };
    return packed(a) == packed(b);
}

bool IsWordCode(std::string_view code) {
    return code.find_first_not_of(" \t") != std::string_view::npos && code.find_first_of("(;") == std::string_view::npos;
}

std::size_t MatchCodeAt(std::string_view line, const CodeToken& start, std::string_view code, const CodeToken& first) {
    if (!sameToken(line, start, code, first)) return std::string_view::npos;
    CodeToken l = start, c = first;
    for (;;) {
        if (!NextCodeToken(code, c.end, c)) return l.end;
        const std::size_t lineEnd = l.end;
        if (!NextCodeToken(line, lineEnd, l) || !sameToken(line, l, code, c)) return std::string_view::npos;
    }
}

CodeSpan FindCodeSpan(std::string_view line, std::string_view code, std::size_t from) {
    if (code.find_first_not_of(" \t") == std::string_view::npos) return {};
    if (!IsWordCode(code)) return findPlain(line, code, from);
    CodeToken first;
    if (oneWord(code, first)) return findWord(line, code, first, nullptr, from);
    NextCodeToken(code, 0, first);
    CodeToken start;
    for (std::size_t p = from; NextCodeToken(line, p, start); p = start.end)
        if (const std::size_t end = MatchCodeAt(line, start, code, first); end != std::string_view::npos)
            return {start.begin, end};
    return {};
}

std::size_t FindCode(std::string_view line, std::string_view code) { return FindCodeSpan(line, code).pos; }

CodeFinder::CodeFinder(std::string_view code) : code_(code) {
    if (!oneWord(code_, first_)) return;
    oneWord_ = true;
    char buf[80];
    std::string_view c;
    if (first_.HasNumber() && canonical(std::string_view(code_).substr(first_.numBegin, first_.numEnd - first_.numBegin),
                                        buf, c)) {
        canon_ = std::string(c);
        hasCanon_ = true;
    }
}

std::size_t CodeFinder::Find(std::string_view line) const {
    if (!oneWord_) return FindCode(line, code_);
    const std::string_view canon = canon_;
    return findWord(line, code_, first_, hasCanon_ ? &canon : nullptr, 0).pos;
}

}  // namespace tolva
