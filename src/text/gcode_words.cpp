#include "text/gcode_words.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <bit>
#include <cstring>
#include <system_error>

namespace tolva {
namespace {

constexpr std::array<bool, 256> makeTerminators() {
    std::array<bool, 256> t{};
    for (int c = 33; c <= 38; ++c) t[c] = true;
    for (int c = 40; c <= 42; ++c) t[c] = true;
    t[44] = true;
    t[47] = true;
    for (int c = 59; c <= 96; ++c) t[c] = true;
    for (int c = 123; c <= 126; ++c) t[c] = true;
    return t;
}
constexpr std::array<bool, 256> kTerminators = makeTerminators();

// Where the comment opening at `p` ends (after its ")"), or `end`.
const char* commentEnd(const char* p, const char* end) {
    const void* close = std::memchr(p + 1, kCommentClose, static_cast<std::size_t>(end - p - 1));
    return close ? static_cast<const char*>(close) + 1 : end;
}

// The first `ch` of a line outside its comments, or null.
const char* findOutsideComments(const char* p, const char* end, char ch) {
    while (p < end) {
        const char* hit = static_cast<const char*>(std::memchr(p, ch, static_cast<std::size_t>(end - p)));
        const char* open = static_cast<const char*>(std::memchr(p, kCommentOpen, static_cast<std::size_t>(end - p)));
        if (!open || (hit && hit < open)) return hit;
        p = commentEnd(open, end);
    }
    return nullptr;
}

// A line without blanks and tabs, at most 255 characters, held on the stack.
// Each comment is lifted out whole into `comments` (its blanks kept) and
// leaves a single "(" in `buf`, so that words on either side stay apart;
// every "(" in `buf` is such a mark.
struct Packed {
    char buf[kMaxLine + 1];
    std::size_t len = 0;
    char comments[kMaxLine + 1];
    std::size_t commentsLen = 0;

    explicit Packed(std::string_view line) {
        std::size_t n = line.size() < kMaxLine ? line.size() : kMaxLine;
        const char* d = line.data();
        for (std::size_t i = 0; i < n; ++i) {
            char c = d[i];
            if (c == kCommentOpen) {
                const std::size_t e = static_cast<std::size_t>(commentEnd(d + i, d + n) - d);
                std::memcpy(comments + commentsLen, d + i, e - i);
                commentsLen += e - i;
                buf[len++] = kCommentOpen;
                i = e - 1;
            } else if (c != ' ' && c != '\t') {
                buf[len++] = c;
            }
        }
    }
    std::string_view view() const { return {buf, len}; }
};

// Length of the number text starting at `p`: the first character always
// belongs to it (unless it opens a comment), then everything up to a
// terminator.
std::size_t numberLength(const char* p, const char* end) {
    if (p >= end || *p == kCommentOpen) return 0;
    const char* q = p + 1;
    while (q < end && !kTerminators[static_cast<unsigned char>(*q)]) ++q;
    return static_cast<std::size_t>(q - p);
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

// Finds `letter` in `buf`, takes out the word that starts there and returns
// it with one blank appended; empty when the letter is absent.
std::size_t takeWord(char* buf, std::size_t& len, std::string_view letter, char* word) {
    if (letter.empty() || len == 0 || letter.find(kCommentOpen) != std::string_view::npos) return 0;
    std::size_t pos;
    if (letter.size() == 1) {
        const void* hit = std::memchr(buf, letter[0], len);
        if (!hit) return 0;
        pos = static_cast<std::size_t>(static_cast<const char*>(hit) - buf);
    } else {
        pos = std::string_view(buf, len).find(letter);
        if (pos == std::string_view::npos) return 0;
    }
    const char* start = buf + pos + letter.size();
    std::size_t wlen = letter.size() + numberLength(start, buf + len);
    std::memcpy(word, buf + pos, wlen);
    word[wlen] = ' ';
    std::memmove(buf + pos, buf + pos + wlen, len - pos - wlen);
    len -= wlen;
    return wlen + 1;
}

struct Words {
    // G M N X Y Z R I J K
    char text[10][kMaxLine + 2];
    std::size_t len[10] = {};
    char rest[kMaxLine + 1];
    std::size_t restLen = 0;
};
enum { wG, wM, wN, wX, wY, wZ, wR, wI, wJ, wK };

// One-letter codes (the usual case): the first occurrence of each letter is
// found with memchr, and taking a word marks its characters instead of
// moving the rest of the line. Skipping marked characters reads the line
// exactly as if each word had been cut out before the next letter is sought.
bool splitSingleLetters(const Packed& p, const std::string* const letters[10], Words& w) {
    unsigned char code[10];
    for (int i = 0; i < 10; ++i) {
        if (letters[i]->size() > 1 || (letters[i]->size() == 1 && (*letters[i])[0] == '\0')) return false;
        // "(" only ever marks a comment in the packed line: never a letter.
        code[i] = letters[i]->empty() || (*letters[i])[0] == kCommentOpen ? 0
                                                                         : static_cast<unsigned char>((*letters[i])[0]);
    }
    bool taken[kMaxLine + 1];
    const std::size_t n = p.len;
    std::memset(taken, 0, n);
    for (int k = 0; k < 10; ++k) {
        w.len[k] = 0;
        if (!code[k]) continue;
        std::size_t pos = 0;
        for (;;) {
            const void* hit = std::memchr(p.buf + pos, code[k], n - pos);
            if (!hit) {
                pos = n;
                break;
            }
            pos = static_cast<std::size_t>(static_cast<const char*>(hit) - p.buf);
            if (!taken[pos]) break;
            ++pos;
        }
        if (pos >= n) continue;
        char* out = w.text[k];
        std::size_t len = 0;
        out[len++] = p.buf[pos];
        taken[pos] = true;
        bool firstChar = true;
        for (std::size_t q = pos + 1; q < n; ++q) {
            if (taken[q]) continue;
            if ((!firstChar && kTerminators[static_cast<unsigned char>(p.buf[q])]) || p.buf[q] == kCommentOpen) break;
            out[len++] = p.buf[q];
            taken[q] = true;
            firstChar = false;
        }
        out[len++] = ' ';
        w.len[k] = len;
    }
    w.restLen = 0;
    for (std::size_t q = 0; q < n; ++q)
        if (!taken[q] && p.buf[q] != kCommentOpen) w.rest[w.restLen++] = p.buf[q];
    return true;
}

void split(std::string_view line, const Letters& L, Words& w) {
    Packed p(line);
    static const std::string kG = "G", kM = "M";
    const std::string* letters[10] = {&kG, &kM, &L.N, &L.X, &L.Y, &L.Z, &L.R, &L.I, &L.J, &L.K};
    if (!splitSingleLetters(p, letters, w)) {
        for (int i = 0; i < 10; ++i) w.len[i] = takeWord(p.buf, p.len, *letters[i], w.text[i]);
        w.restLen = 0;
        for (std::size_t q = 0; q < p.len; ++q)
            if (p.buf[q] != kCommentOpen) w.rest[w.restLen++] = p.buf[q];
    }
    // The comments follow the rest of the line as they were written.
    std::memcpy(w.rest + w.restLen, p.comments, p.commentsLen);
    w.restLen += p.commentsLen;
}

void orderWords(std::string_view line, const Letters& L, bool mFirst, std::string& out) {
    Words w;
    split(line, L, w);
    int x = wX, y = wY, i = wI, j = wJ;
    unsigned char cx = w.len[wX] ? static_cast<unsigned char>(w.text[wX][0]) : 0;
    unsigned char cy = w.len[wY] ? static_cast<unsigned char>(w.text[wY][0]) : 0;
    if (cx > cy) {
        x = wY, y = wX, i = wJ, j = wI;
    }
    out.clear();
    auto put = [&](int k) { out.append(w.text[k], w.len[k]); };
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
    out.append(w.rest, w.restLen);
    if (out.size() > kMaxLine) out.resize(kMaxLine);
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
    char num[kMaxLine + 3];
    std::size_t n = 0;
    for (; p < end && n < kMaxLine; ++p) {
        const char c = *p;
        if (c == ' ' || c == '\t') continue;
        if ((n > 0 && kTerminators[static_cast<unsigned char>(c)]) || c == kCommentOpen) break;
        num[n++] = c;
    }
    if (parseDecimal(std::string_view(num, n), out)) return true;
    // num has room for the two characters a repair may insert.
    if (n > 0 && num[0] == '.') {
        std::memmove(num + 1, num, n);
        num[0] = '0';
        ++n;
    }
    if (n >= 2 && num[0] == '-' && num[1] == '.') {
        std::memmove(num + 2, num + 1, n - 1);
        num[1] = '0';
        ++n;
    }
    if (n > 0 && num[n - 1] == '.') --n;
    return parseDecimal(std::string_view(num, n), out);
}

WordRead readNumber(const char* p, const char* end) {
    WordRead r;
    float v = 0.0f;
    if (readNumber(p, end, v)) {
        r.value = v;
        r.found = true;
    }
    return r;
}

}  // namespace

bool ReadNumberText(std::string_view text, double& out) {
    double v = 0.0;
    if (!readNumber(text.data(), text.data() + text.size(), v)) return false;
    out = v;
    return true;
}

WordRead WordValue(std::string_view word, std::string_view line) {
    if (word.empty()) return {};
    if (line.size() > kMaxLine) line = line.substr(0, kMaxLine);
    if (word.size() == 1 && word[0] != ' ' && word[0] != '\t') {
        // A one-letter word is found at the same place with or without the
        // blanks, so skip them while reading instead of packing the line.
        if (word[0] == kCommentOpen) return {};
        const char* p = findOutsideComments(line.data(), line.data() + line.size(), word[0]);
        if (!p) return {};
        return readNumber(p + 1, line.data() + line.size());
    }
    if (word.find(kCommentOpen) != std::string_view::npos) return {};
    Packed p(line);
    const std::size_t pos = p.view().find(word);
    if (pos == std::string_view::npos) return {};
    return readNumber(p.buf + pos + word.size(), p.buf + p.len);
}

WordReader::WordReader(std::initializer_list<std::string_view> words) {
    for (std::string_view w : words) {
        if (count_ == kMaxWords) break;
        const std::size_t k = count_++;
        words_[k] = std::string(w);
        if (w.size() == 1 && w[0] != ' ' && w[0] != '\t' && w[0] != kCommentOpen) {
            byChar_[static_cast<unsigned char>(w[0])] |= static_cast<std::uint16_t>(1u << k);
            oneChar_ |= static_cast<std::uint16_t>(1u << k);
        } else if (!w.empty())
            general_ |= static_cast<std::uint16_t>(1u << k);
    }
}

void WordReader::Read(std::string_view line, WordRead* out) const {
    if (line.size() > kMaxLine) line = line.substr(0, kMaxLine);
    const char* d = line.data();
    const char* end = d + line.size();
    // First place of every one-letter word, in one pass.
    const char* at[kMaxWords] = {};
    unsigned wanted = oneChar_;
    for (const char* p = d; p < end && wanted; ++p) {
        if (*p == kCommentOpen) {
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
    Words w;
    split(line, letters, w);
    std::string* dst[10] = {&s.G, &s.M, &s.N, &s.X, &s.Y, &s.Z, &s.R, &s.I, &s.J, &s.K};
    for (int i = 0; i < 10; ++i) dst[i]->assign(w.text[i], w.len[i]);
    s.rest.assign(w.rest, w.restLen);
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

}  // namespace tolva
