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

}  // namespace

std::string FixedText(long double value, int decimals, int precision) {
    if (decimals < 0) decimals = 0;
    if (decimals > 18) decimals = 18;
    if (precision < 1) precision = 1;
    if (!std::isfinite(value)) return value != value ? "NAN" : (value < 0 ? "-INF" : "INF");
    char buf[128];
    if (value == 0) {
        std::snprintf(buf, sizeof buf, "%.*f", decimals, 0.0);
        return buf;
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
