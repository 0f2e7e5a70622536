#include "text/number_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

std::string exponentForm(long double value, int precision) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*LE", precision - 1, value);
    // glibc writes at least two exponent digits; pad to three.
    char* e = std::strchr(buf, 'E');
    if (!e) return buf;
    std::string mant(buf, e);
    char sign = e[1];
    std::string digits(e + 2);
    while (digits.size() < 3) digits.insert(0, 1, '0');
    return mant + "E" + sign + digits;
}

constexpr long double kPow10[] = {1e0L, 1e1L, 1e2L, 1e3L, 1e4L, 1e5L, 1e6L, 1e7L, 1e8L, 1e9L,
                                   1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L};

// The common case without printf (whose long double conversion dominates a
// DXF import): at most 9 decimals and 9 significant digits, no exponent
// form. The value is scaled to the rounding digit in long double, where the
// error stays below 1e-11 of a unit of that digit; a result that lands that
// close to a tie, or whose rounding carries into a new leading digit, is
// left to the exact printf path. False when not handled.
bool fastFixed(long double value, int decimals, int precision, std::string& out) {
    if (decimals > 9 || precision > 9) return false;
    const long double a = std::fabs(value);
    if (!(a < kPow10[precision]) || a < 1e-9L) return false;
    int exp10 = 0;  // floor(log10(a)), before rounding
    if (a >= 1.0L) {
        while (exp10 + 1 <= precision && a >= kPow10[exp10 + 1]) ++exp10;
    } else {
        exp10 = -1;
        while (exp10 > -10 && a * kPow10[-exp10] < 1.0L) --exp10;
    }
    const int sig = precision - 1 - exp10;
    const int d = sig < decimals ? sig : decimals;
    if (d < 0) return false;
    // scaled < 10^18 fits the integer; near-ties take the exact path above.
    const long double scaled = a * kPow10[d];
    unsigned long long n = static_cast<unsigned long long>(scaled);
    const long double frac = scaled - static_cast<long double>(n);
    if (std::fabs(frac - 0.5L) < 1e-9L) return false;
    if (frac > 0.5L) ++n;
    if (static_cast<long double>(n) >= kPow10[precision]) return false;
    const bool zero = n == 0;
    char digits[32];
    int len = 0;
    do {
        digits[len++] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n);
    while (len <= d) digits[len++] = '0';  // at least one digit before the point
    out.clear();
    if (value < 0 && !zero) out.push_back('-');
    for (int i = len - 1; i >= d; --i) out.push_back(digits[i]);
    if (decimals > 0) {
        out.push_back('.');
        for (int i = d - 1; i >= 0; --i) out.push_back(digits[i]);
        out.append(static_cast<std::size_t>(decimals - d), '0');
    }
    return true;
}

}  // namespace

std::string FixedText(long double value, int decimals, int precision) {
    if (decimals < 0) decimals = 0;
    if (decimals > 18) decimals = 18;
    if (precision < 1) precision = 1;
    if (!std::isfinite(value)) return value != value ? "NAN" : (value < 0 ? "-INF" : "INF");
    if (std::string fast; value != 0 && fastFixed(value, decimals, precision, fast)) return fast;
    char buf[128];
    if (value == 0) {
        std::string zero = "0";
        if (decimals > 0) zero.append(1, '.').append(static_cast<std::size_t>(decimals), '0');
        return zero;
    }
    // Decimal exponent after rounding to `precision` significant digits.
    std::snprintf(buf, sizeof buf, "%.*Le", precision - 1, value);
    const char* epos = std::strchr(buf, 'e');
    int exp10 = epos ? std::atoi(epos + 1) : 0;
    if (exp10 >= precision) return exponentForm(value, precision);
    int sigDecimals = precision - 1 - exp10;
    if (sigDecimals >= decimals) {
        std::snprintf(buf, sizeof buf, "%.*Lf", decimals, value);
        std::string s = unsignedZero(buf);
        // Rounding at the decimals may carry into an eighth integer digit.
        std::size_t intDigits = s.find('.');
        if (intDigits == std::string::npos) intDigits = s.size();
        if (s[0] == '-') --intDigits;
        if (static_cast<int>(intDigits) > precision) return exponentForm(value, precision);
        return s;
    }
    // The significant-digit limit is the coarser: round there once, then pad.
    std::snprintf(buf, sizeof buf, "%.*Lf", sigDecimals < 0 ? 0 : sigDecimals, value);
    std::string s = buf;
    std::size_t dot = s.find('.');
    int have = dot == std::string::npos ? 0 : static_cast<int>(s.size() - dot - 1);
    if (decimals > 0 && dot == std::string::npos) s.push_back('.');
    s.append(static_cast<std::size_t>(decimals - have), '0');
    return unsignedZero(s);
}

long long RoundHalfEven(long double value) {
    return static_cast<long long>(std::nearbyintl(value));
}

}  // namespace tolva
