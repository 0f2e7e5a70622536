#include "text/gcode_words.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <bit>
#include <cstring>
#include <memory>
#include <algorithm>
#include <system_error>

namespace tolva {
namespace {

constexpr std::array<bool, 256> makeTerminators() {
    std::array<bool, 256> t{};
    for (int c = 33; c <= 38; ++c) t[c] = true;
    for (int c = 40; c <= 42; ++c) t[c] = true;
    t[44] = true;
    t[47] = true;
    for (int c = 59; c <= 126; ++c) t[c] = true;
    return t;
}
constexpr std::array<bool, 256> kTerminators = makeTerminators();

bool opensComment(char c) { return c == kCommentOpen || c == kCommentToEnd; }

// Where the comment opening at `p` ends (after its ")"), or `end`.
const char* commentEnd(const char* p, const char* end) {
    if (*p == kCommentToEnd) return end;
    const void* close = std::memchr(p + 1, kCommentClose, static_cast<std::size_t>(end - p - 1));
    return close ? static_cast<const char*>(close) + 1 : end;
}

char lowerCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
char upperCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool sameLetter(char a, char b) { return a == b || upperCase(a) == upperCase(b); }

// The first `ch` (either case) of a line outside its comments, or null.
const char* findOutsideComments(const char* p, const char* end, char ch) {
    const char up = upperCase(ch), low = lowerCase(ch);
    for (; p < end; ++p) {
        const char c = *p;
        if (c == up || c == low) return p;
        if (opensComment(c)) p = commentEnd(p, end) - 1;
    }
    return nullptr;
}

// Storage for one line's worth of characters: on the stack for the usual
// line, on the heap for a long one.
template <class T, std::size_t N>
struct Scratch {
    T local[N];
    std::unique_ptr<T[]> heap;
    T* data;
    explicit Scratch(std::size_t n) : data(n <= N ? local : (heap.reset(new T[n]), heap.get())) {}
};

// A line without blanks and tabs. Each comment is lifted out whole (its
// blanks kept) and leaves a single "(" in `buf`, so that words on either
// side stay apart; every "(" in `buf` is such a mark, and the marks and
// `comments` (begin and end in the line) are in the same order.
struct Packed {
    std::string_view line;
    Scratch<char, 512> buf;
    std::size_t len = 0;
    Scratch<std::size_t, 16> comments;
    std::size_t commentCount = 0;

    explicit Packed(std::string_view l) : line(l), buf(l.size() + 1), comments(2 * commentsIn(l)) {
        const char* d = line.data();
        const std::size_t n = line.size();
        for (std::size_t i = 0; i < n; ++i) {
            char c = d[i];
            if (opensComment(c)) {
                const std::size_t e = static_cast<std::size_t>(commentEnd(d + i, d + n) - d);
                comments.data[2 * commentCount] = i;
                comments.data[2 * commentCount + 1] = e;
                ++commentCount;
                buf.data[len++] = kCommentOpen;
                i = e - 1;
            } else if (c != ' ' && c != '\t') {
                buf.data[len++] = c;
            }
        }
    }
    static std::size_t commentsIn(std::string_view l) {
        std::size_t k = 0;
        const char* end = l.data() + l.size();
        for (const char* p = l.data(); p < end; ++p)
            if (opensComment(*p)) ++k, p = commentEnd(p, end) - 1;
        return k;
    }
    std::string_view view() const { return {buf.data, len}; }
    std::string_view comment(std::size_t k) const {
        return line.substr(comments.data[2 * k], comments.data[2 * k + 1] - comments.data[2 * k]);
    }
};

// The first place of `word` in `text`, letters compared without regard to case.
std::size_t findNoCase(std::string_view text, std::string_view word) {
    if (word.empty() || word.size() > text.size()) return std::string_view::npos;
    for (std::size_t p = 0; p + word.size() <= text.size(); ++p) {
        std::size_t i = 0;
        while (i < word.size() && sameLetter(text[p + i], word[i])) ++i;
        if (i == word.size()) return p;
    }
    return std::string_view::npos;
}

// [+-] digits [. digits] [e [+-] digits]; at least one digit or a period.
bool isDecimal(std::string_view s) {
    std::size_t i = 0, n = s.size();
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < n && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    bool period = false;
    if (i < n && s[i] == '.') {
        period = true;
        ++i;
        while (i < n && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    }
    if (digits == 0 && !period) return false;
    if (i < n && s[i] == 'e') {
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < n && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == n;
}

// Powers of ten that a long double holds exactly (5^27 < 2^64).
constexpr int kExactPowers = 28;
constexpr std::array<long double, kExactPowers> makePowers() {
    std::array<long double, kExactPowers> p{};
    long double v = 1;
    for (int i = 0; i < kExactPowers; ++i, v *= 10) p[i] = v;
    return p;
}
constexpr std::array<long double, kExactPowers> kPowers = makePowers();

// The common number, read in place: [+-] digits [. digits] with blanks
// anywhere, up to a terminator or the end, with at most 18 significant
// digits: the mantissa over an exact power of ten, one rounding. False for
// anything else (nothing is decided then).
template <class Real>
bool readPlainNumber(const char* p, const char* end, Real& out) {
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    if (p == end || kTerminators[static_cast<unsigned char>(*p)]) return false;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p == '-', ++p;
    unsigned long long mantissa = 0;
    int digits = 0, fraction = 0, significant = 0;
    bool afterPoint = false;
    for (; p < end; ++p) {
        const char c = *p;
        if (c >= '0' && c <= '9') {
            mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
            ++digits;
            significant += mantissa != 0;
            fraction += afterPoint;
        } else if (c == '.' && !afterPoint) {
            afterPoint = true;
        } else if (c == ' ' || c == '\t') {
        } else if (kTerminators[static_cast<unsigned char>(c)]) {
            break;
        } else {
            return false;
        }
    }
    if ((digits == 0 && !afterPoint) || significant > 18 || fraction >= kExactPowers) return false;
    const long double v = static_cast<long double>(mantissa) / kPowers[fraction];
    out = static_cast<Real>(negative ? -v : v);
    return true;
}

template <class Real>
bool parseDecimal(std::string_view s, Real& out) {
    if (!isDecimal(s)) return false;
    // Common case: no exponent, few digits.
    if (readPlainNumber(s.data(), s.data() + s.size(), out)) return true;
    bool anyDigit = false;
    for (char c : s) anyDigit |= std::isdigit(static_cast<unsigned char>(c)) != 0;
    if (!anyDigit) {  // "." or "-." reads as zero
        out = 0;
        return true;
    }
    // from_chars, not strtold: the period is the decimal point whatever the
    // locale says.
    const char* b = s.data();
    const char* e = b + s.size();
    if (*b == '+') ++b;
    long double v = 0;
    if (std::from_chars(b, e, v).ec == std::errc::result_out_of_range) {
        // Only an exponent reaches beyond long double: a negative one is an
        // underflow to zero, a positive one an overflow.
        const std::size_t at = s.find('e');
        v = at != std::string_view::npos && at + 1 < s.size() && s[at + 1] == '-' ? 0.0L : HUGE_VALL;
        if (*b == '-') v = -v;
    }
    out = static_cast<Real>(v);
    return true;
}

enum { wG, wM, wN, wX, wY, wZ, wR, wI, wJ, wK };

// The words of a line, each with its blank, and the rest, all held in one
// buffer; a word's letter is kept as the line writes it.
struct Words {
    Scratch<char, 768> store;
    std::size_t off[10] = {}, len[10] = {};
    std::size_t restOff = 0, restLen = 0;
    explicit Words(std::size_t lineSize) : store(2 * lineSize + 16) {}
    std::string_view word(int k) const { return {store.data + off[k], len[k]}; }
    std::string_view rest() const { return {store.data + restOff, restLen}; }
};

// Cuts the words out of the packed line in the order G M N X Y Z R I J K:
// each letter's first occurrence in what is left (either case) with the
// character after it and then everything up to a terminator or a comment.
// Taking a word marks its characters instead of moving the rest of the line;
// skipping marked characters reads the line exactly as if each word had been
// cut out before the next letter is sought. Then the rest: what is left, in
// its order, each comment mark replaced by its comment as written.
void split(std::string_view line, const Letters& L, Words& w) {
    const Packed p(line);
    static const std::string kG = "G", kM = "M";
    const std::string* letters[10] = {&kG, &kM, &L.N, &L.X, &L.Y, &L.Z, &L.R, &L.I, &L.J, &L.K};
    const std::size_t n = p.len;
    const char* b = p.buf.data;
    Scratch<bool, 512> takenStore(n + 1);
    bool* taken = takenStore.data;
    std::fill(taken, taken + n, false);
    char* out = w.store.data;
    std::size_t used = 0;
    for (int k = 0; k < 10; ++k) {
        w.off[k] = used;
        w.len[k] = 0;
        const std::string& letter = *letters[k];
        if (letter.empty() || letter.find(kCommentOpen) != std::string::npos ||
            letter.find(kCommentToEnd) != std::string::npos)
            continue;
        // The first untaken place where the letter's characters follow each other.
        std::size_t pos = n, after = n;
        for (std::size_t q = 0; q < n && pos == n; ++q) {
            if (taken[q] || !sameLetter(b[q], letter[0])) continue;
            std::size_t r = q + 1, i = 1;
            for (; i < letter.size(); ++r) {
                if (r >= n) break;
                if (taken[r]) continue;
                if (!sameLetter(b[r], letter[i])) break;
                ++i;
            }
            if (i == letter.size()) pos = q, after = r;
        }
        if (pos == n) continue;
        for (std::size_t q = pos; q < after; ++q)
            if (!taken[q]) out[used++] = b[q], taken[q] = true;
        bool firstChar = true;
        for (std::size_t q = after; q < n; ++q) {
            if (taken[q]) continue;
            if ((!firstChar && kTerminators[static_cast<unsigned char>(b[q])]) || b[q] == kCommentOpen) break;
            out[used++] = b[q];
            taken[q] = true;
            firstChar = false;
        }
        out[used++] = ' ';
        w.len[k] = used - w.off[k];
    }
    w.restOff = used;
    std::size_t comment = 0;
    for (std::size_t q = 0; q < n; ++q) {
        if (taken[q]) continue;
        if (b[q] != kCommentOpen) {
            out[used++] = b[q];
            continue;
        }
        const std::string_view c = p.comment(comment++);
        std::memcpy(out + used, c.data(), c.size());
        used += c.size();
    }
    w.restLen = used - w.restOff;
}

void orderWords(std::string_view line, const Letters& L, bool mFirst, std::string& out) {
    Words w(line.size());
    split(line, L, w);
    int x = wX, y = wY, i = wI, j = wJ;
    // Letters compared in upper case: a small letter sorts as its capital.
    unsigned char cx = w.len[wX] ? static_cast<unsigned char>(upperCase(w.word(wX)[0])) : 0;
    unsigned char cy = w.len[wY] ? static_cast<unsigned char>(upperCase(w.word(wY)[0])) : 0;
    if (cx > cy) {
        x = wY, y = wX, i = wJ, j = wI;
    }
    out.clear();
    auto put = [&](int k) { out.append(w.word(k)); };
    put(wN);
    put(wG);
    if (mFirst) put(wM);
    put(x);
    put(y);
    put(wZ);
    put(i);
    put(j);
    put(wK);
    put(wR);
    if (!mFirst) put(wM);
    out.append(w.rest());
}

}  // namespace

bool IsNumberTerminator(unsigned char c) { return kTerminators[c]; }

std::string StripChar(char mode, char ch, std::string_view s) {
    char m = static_cast<char>(std::toupper(static_cast<unsigned char>(mode)));
    std::size_t b = 0, e = s.size();
    switch (m) {
        case 'A': {
            std::string out;
            out.reserve(s.size());
            for (char c : s)
                if (c != ch) out.push_back(c);
            return out;
        }
        case 'B':
        case 'L':
            while (b < e && s[b] == ch) ++b;
            if (m == 'L') break;
            [[fallthrough]];
        case 'R':
            while (e > b && s[e - 1] == ch) --e;
            break;
        default:
            break;
    }
    return std::string(s.substr(b, e - b));
}

namespace {

// The number whose text starts at `p`: blanks and tabs are skipped, the
// first other character always belongs to it, the next terminator ends it.
// Repairs, in order, when it does not parse: ".5" -> "0.5", "-.5" -> "-0.5",
// "1.5." -> "1.5".
template <class Real>
bool readNumber(const char* p, const char* end, Real& out) {
    if (readPlainNumber(p, end, out)) return true;
    // The number's text whole, however long (a short one stays in place).
    std::string num;
    for (; p < end; ++p) {
        const char c = *p;
        if (c == ' ' || c == '\t') continue;
        if ((!num.empty() && kTerminators[static_cast<unsigned char>(c)]) || opensComment(c)) break;
        num.push_back(c);
    }
    if (parseDecimal(std::string_view(num), out)) return true;
    if (!num.empty() && num[0] == '.') num.insert(num.begin(), '0');
    if (num.size() >= 2 && num[0] == '-' && num[1] == '.') num.insert(num.begin() + 1, '0');
    if (!num.empty() && num.back() == '.') num.pop_back();
    return parseDecimal(std::string_view(num), out);
}

template <class Read>
Read readWord(const char* p, const char* end) {
    Read r;
    decltype(r.value) v = 0;
    if (readNumber(p, end, v)) {
        r.value = v;
        r.found = true;
    }
    return r;
}

template <class Read>
Read wordValue(std::string_view word, std::string_view line) {
    if (word.empty()) return {};
    if (word.size() == 1 && word[0] != ' ' && word[0] != '\t') {
        // A one-letter word is found at the same place with or without the
        // blanks, so skip them while reading instead of packing the line.
        if (opensComment(word[0])) return {};
        const char* p = findOutsideComments(line.data(), line.data() + line.size(), word[0]);
        if (!p) return {};
        return readWord<Read>(p + 1, line.data() + line.size());
    }
    if (word.find_first_of("(;") != std::string_view::npos) return {};
    Packed p(line);
    const std::size_t pos = findNoCase(p.view(), word);
    if (pos == std::string_view::npos) return {};
    return readWord<Read>(p.buf.data + pos + word.size(), p.buf.data + p.len);
}

WordRead readNumber(const char* p, const char* end) { return readWord<WordRead>(p, end); }

}  // namespace

bool ReadNumberText(std::string_view text, double& out) {
    double v = 0.0;
    if (!readNumber(text.data(), text.data() + text.size(), v)) return false;
    out = v;
    return true;
}

WordRead WordValue(std::string_view word, std::string_view line) { return wordValue<WordRead>(word, line); }

ExactWordRead ExactWordValue(std::string_view word, std::string_view line) {
    return wordValue<ExactWordRead>(word, line);
}

WordReader::WordReader(std::initializer_list<std::string_view> words) {
    for (std::string_view w : words) {
        if (count_ == kMaxWords) break;
        const std::size_t k = count_++;
        words_[k] = std::string(w);
        if (w.size() == 1 && w[0] != ' ' && w[0] != '\t' && !opensComment(w[0])) {
            byChar_[static_cast<unsigned char>(lowerCase(w[0]))] |= static_cast<std::uint16_t>(1u << k);
            byChar_[static_cast<unsigned char>(upperCase(w[0]))] |= static_cast<std::uint16_t>(1u << k);
            oneChar_ |= static_cast<std::uint16_t>(1u << k);
        } else if (!w.empty())
            general_ |= static_cast<std::uint16_t>(1u << k);
    }
}

void WordReader::Read(std::string_view line, WordRead* out) const {
    const char* d = line.data();
    const char* end = d + line.size();
    // First place of every one-letter word, in one pass.
    const char* at[kMaxWords] = {};
    unsigned wanted = oneChar_;
    for (const char* p = d; p < end && wanted; ++p) {
        if (opensComment(*p)) {
            p = commentEnd(p, end) - 1;
            continue;
        }
        unsigned hit = byChar_[static_cast<unsigned char>(*p)] & wanted;
        if (!hit) continue;
        wanted &= ~hit;
        for (; hit; hit &= hit - 1) at[std::countr_zero(hit)] = p;
    }
    for (std::size_t k = 0; k < count_; ++k) {
        if (general_ >> k & 1u)
            out[k] = WordValue(words_[k], line);
        else if (at[k])
            out[k] = readNumber(at[k] + 1, end);
        else
            out[k] = WordRead{};
    }
}

void SplitWords(std::string_view line, const Letters& letters, SplitLine& s) {
    Words w(line.size());
    split(line, letters, w);
    std::string* dst[10] = {&s.G, &s.M, &s.N, &s.X, &s.Y, &s.Z, &s.R, &s.I, &s.J, &s.K};
    for (int i = 0; i < 10; ++i) dst[i]->assign(w.word(i));
    s.rest.assign(w.rest());
}

SplitLine SplitWords(std::string_view line, const Letters& letters) {
    SplitLine s;
    SplitWords(line, letters, s);
    return s;
}

void OrderWordsMFirst(std::string_view line, const Letters& letters, std::string& out) {
    orderWords(line, letters, true, out);
}
void OrderWordsMLast(std::string_view line, const Letters& letters, std::string& out) {
    orderWords(line, letters, false, out);
}
std::string OrderWordsMFirst(std::string_view line, const Letters& letters) {
    std::string out;
    orderWords(line, letters, true, out);
    return out;
}
std::string OrderWordsMLast(std::string_view line, const Letters& letters) {
    std::string out;
    orderWords(line, letters, false, out);
    return out;
}

namespace {
template <class Order>
void orderAllLines(std::vector<std::string>& lines, Order order) {
    std::string out;
    for (auto& line : lines) {
        order(line, out);
        line.swap(out);
    }
}
}  // namespace

void OrderAllLinesMFirst(std::vector<std::string>& lines, const Letters& letters) {
    orderAllLines(lines, [&](const std::string& line, std::string& out) { OrderWordsMFirst(line, letters, out); });
}

void OrderAllLinesMLast(std::vector<std::string>& lines, const Letters& letters) {
    orderAllLines(lines, [&](const std::string& line, std::string& out) { OrderWordsMLast(line, letters, out); });
}

}  // namespace tolva
