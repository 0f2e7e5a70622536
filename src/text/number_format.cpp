#include "text/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace tolva {
namespace {

bool allZeroDigits(const char* s) {
    for (; *s; ++s)
        if (*s >= '1' && *s <= '9') return false;
    return true;
}

std::string unsignedZero(std::string s) {
    if (!s.empty() && s[0] == '-' && allZeroDigits(s.c_str())) s.erase(0, 1);
    return s;
}

// The conversions of the C library follow the locale's decimal separator
// (a comma under LC_NUMERIC=de_DE); program text always has the period, so
// every digit string comes from to_chars, which ignores the locale.
std::string chars(long double value, std::chars_format form, int digits) {
    char buf[128];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, form, digits);
    return std::string(buf, r.ec == std::errc() ? r.ptr : buf);
}

std::string exponentForm(long double value, int precision) {
    const std::string s = chars(value, std::chars_format::scientific, precision - 1);
    // At least two exponent digits come out; pad to three, capital E.
    const std::size_t e = s.find('e');
    if (e == std::string::npos) return s;
    std::string digits = s.substr(e + 2);
    while (digits.size() < 3) digits.insert(0, 1, '0');
    return s.substr(0, e) + "E" + s[e + 1] + digits;
}

// A value with more integer digits than the precision: every integer digit
// and the decimals asked for. Program text never has an exponent (a control
// does not read one, and our own reading takes "E" for a word).
std::string allDigits(long double value, int decimals) {
    return unsignedZero(chars(value, std::chars_format::fixed, decimals));
}

constexpr long double kPow10[] = {1e0L, 1e1L, 1e2L, 1e3L, 1e4L, 1e5L, 1e6L, 1e7L, 1e8L, 1e9L,
                                   1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L};

// At most a sign, 9 integer digits, the point and 9 decimals.
constexpr int kFastTextSize = 24;

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The common case without the exact conversion (whose long double work
// dominates a DXF import): at most 9 decimals and 9 significant digits, no
// exponent form. The magnitude is scaled to the rounding digit; a result
// whose rounding carries into a new leading digit is left to the exact
// conversion, and so is a tie or near-tie: `tieBand` is how close to one
// half the scaled fraction may come before the arithmetic is not trusted to
// decide. `Real` is double only for values that are exactly 32-bit floats:
// then a * 10^d (24 + 21 significant bits for d <= 9) is exact in double,
// the fraction is exact, and only a true tie (band 0) needs the exact
// conversion; the long double form keeps the error below 1e-11 of a unit of
// the rounding digit. Writes the text to `out` (kFastTextSize bytes) and
// gives its length; 0 when not handled.
template <class Real>
int fastFixed(Real a, bool negative, int decimals, int precision, Real tieBand, char* out) {
    if (decimals > 9 || precision > 9) return 0;
    if (!(a < static_cast<Real>(kPow10[precision])) || static_cast<long double>(a) < 1e-9L) return 0;
    int exp10 = 0;  // floor(log10(a)), before rounding
    if (a >= 1) {
        while (exp10 + 1 <= precision && a >= static_cast<Real>(kPow10[exp10 + 1])) ++exp10;
    } else {
        exp10 = -1;
        while (exp10 > -10 && a * static_cast<Real>(kPow10[-exp10]) < 1) --exp10;
    }
    const int sig = precision - 1 - exp10;
    const int d = sig < decimals ? sig : decimals;
    if (d < 0) return 0;
    // scaled < 10^18 fits the integer.
    const Real scaled = a * static_cast<Real>(kPow10[d]);
    unsigned long long n = static_cast<unsigned long long>(scaled);
    const Real frac = scaled - static_cast<Real>(n);
    const Real off = frac - static_cast<Real>(0.5);
    if ((off < 0 ? -off : off) <= tieBand) return 0;
    if (off > 0) ++n;
    if (static_cast<long double>(n) >= kPow10[precision]) return 0;
    const bool zero = n == 0;
    // Written from the end backwards: the padding zeros, the d rounded
    // decimals, the point, the integer digits (at least one), the sign.
    char* const last = out + kFastTextSize;
    char* p = last;
    for (int i = d; i < decimals; ++i) *--p = '0';
    int i = 0;
    for (; i + 2 <= d; i += 2) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * (n % 100), 2);
        n /= 100;
    }
    if (i < d) {
        *--p = static_cast<char>('0' + n % 10);
        n /= 10;
    }
    if (decimals > 0) *--p = '.';
    while (n >= 100) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * (n % 100), 2);
        n /= 100;
    }
    if (n >= 10) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * n, 2);
    } else {
        *--p = static_cast<char>('0' + n);
    }
    if (negative && !zero) *--p = '-';
    const int len = static_cast<int>(last - p);
    std::memmove(out, p, static_cast<std::size_t>(len));
    return len;
}

int fastFixed(long double value, int decimals, int precision, char* out) {
    const long double a = std::fabs(value);
    if (static_cast<long double>(static_cast<float>(a)) == a)
        return fastFixed<double>(static_cast<double>(a), value < 0, decimals, precision, 0.0, out);
    return fastFixed<long double>(a, value < 0, decimals, precision, 1e-9L, out);
}

}  // namespace

std::string FixedText(long double value, int decimals, int precision) {
    if (decimals < 0) decimals = 0;
    if (decimals > 18) decimals = 18;
    if (precision < 1) precision = 1;
    if (!std::isfinite(value)) return value != value ? "NAN" : (value < 0 ? "-INF" : "INF");
    if (value != 0) {
        char fast[kFastTextSize];
        if (const int len = fastFixed(value, decimals, precision, fast)) return std::string(fast, static_cast<std::size_t>(len));
    }
    if (value == 0) {
        std::string zero = "0";
        if (decimals > 0) zero.append(1, '.').append(static_cast<std::size_t>(decimals), '0');
        return zero;
    }
    // Decimal exponent after rounding to `precision` significant digits.
    const std::string sci = chars(value, std::chars_format::scientific, precision - 1);
    const std::size_t epos = sci.find('e');
    int exp10 = epos != std::string::npos ? std::atoi(sci.c_str() + epos + 1) : 0;
    if (exp10 >= precision) return allDigits(value, decimals);
    int sigDecimals = precision - 1 - exp10;
    if (sigDecimals >= decimals) {
        std::string s = unsignedZero(chars(value, std::chars_format::fixed, decimals));
        // Rounding at the decimals may carry into an eighth integer digit.
        std::size_t intDigits = s.find('.');
        if (intDigits == std::string::npos) intDigits = s.size();
        if (s[0] == '-') --intDigits;
        if (static_cast<int>(intDigits) > precision) return allDigits(value, decimals);
        return s;
    }
    // The significant-digit limit is the coarser: round there once, then pad.
    std::string s = chars(value, std::chars_format::fixed, sigDecimals < 0 ? 0 : sigDecimals);
    std::size_t dot = s.find('.');
    int have = dot == std::string::npos ? 0 : static_cast<int>(s.size() - dot - 1);
    if (decimals > 0 && dot == std::string::npos) s.push_back('.');
    s.append(static_cast<std::size_t>(decimals - have), '0');
    return unsignedZero(s);
}

std::string ExponentText(long double value, int precision) {
    if (precision < 1) precision = 1;
    if (!std::isfinite(value)) return FixedText(value, 0, precision);
    return exponentForm(value, precision);
}

void AppendProgramNumber(std::string& out, double value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 9) decimals = 9;
    const double a = std::fabs(value);
    // 10^7 * 10^9 < 2^63; the scaled value carries the digits that a double
    // holds, which for 7 integer digits is every decimal up to the ninth.
    const double scaled = a * static_cast<double>(kPow10[decimals]);
    const long long limit = 10000000LL * static_cast<long long>(kPow10[decimals]);
    if (!(scaled < static_cast<double>(limit))) {
        out += CoordinateText(value, decimals);
        return;
    }
    unsigned long long n = static_cast<unsigned long long>(std::nearbyint(scaled));
    if (n >= static_cast<unsigned long long>(limit)) {  // rounding carried into an eighth digit
        out += CoordinateText(value, decimals);
        return;
    }
    char buf[kFastTextSize];
    char* const last = buf + kFastTextSize;
    char* p = last;
    for (int i = 0; i < decimals; ++i) {
        *--p = static_cast<char>('0' + n % 10);
        n /= 10;
    }
    if (decimals > 0) *--p = '.';
    do {
        *--p = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n);
    if (value < 0 && std::nearbyint(scaled) != 0) *--p = '-';
    out.append(p, static_cast<std::size_t>(last - p));
}

std::string DecimalText(double value, int decimals) {
    if (!std::isfinite(value)) return FixedText(value, decimals, 7);
    if (decimals > 9) return allDigits(value, decimals > 18 ? 18 : decimals);
    std::string out;
    AppendProgramNumber(out, value, decimals);
    return out;
}

bool ReadPlainReal(std::string_view text, double& out) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    double v = 0.0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return false;
    out = v;
    return true;
}

long long RoundHalfEven(long double value) {
    return static_cast<long long>(std::nearbyintl(value));
}

}  // namespace tolva
