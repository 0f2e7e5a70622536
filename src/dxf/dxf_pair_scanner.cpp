#include "dxf/dxf_pair_scanner.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "dxf/dxf_settings.h"

namespace tolva {

// The plain decimal form of nearly every DXF value ("-123.456789"): up to 19
// digits make an exact integer m and e decimals; when m <= 2^53 and e <= 22
// both m and 10^e are exact doubles, so m / 10^e is the correctly rounded
// double, the very double from_chars gives. Anything else (exponents, long
// mantissas, odd forms) goes to ReadDxfReal itself.
bool ReadGroupReal(std::string_view text, double& out) {
    static constexpr double kTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                      1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const char* p = text.data();
    const char* end = p + text.size();
    while (p != end && (*p == ' ' || *p == '\t')) ++p;
    while (end != p && (end[-1] == ' ' || end[-1] == '\t')) --end;
    if (p != end && *p == '+') ++p;
    const bool negative = p != end && *p == '-';
    if (negative) ++p;
    unsigned long long m = 0;
    int digits = 0, decimals = 0;
    const char* intStart = p;
    for (; p != end && *p >= '0' && *p <= '9'; ++p, ++digits) m = m * 10 + static_cast<unsigned>(*p - '0');
    bool plain = p != intStart;
    if (plain && p != end && *p == '.') {
        const char* fracStart = ++p;
        for (; p != end && *p >= '0' && *p <= '9'; ++p, ++digits) m = m * 10 + static_cast<unsigned>(*p - '0');
        decimals = static_cast<int>(p - fracStart);
        plain = decimals > 0;
    }
    if (!plain || p != end || digits > 19 || m > (1ull << 53) || decimals > 22) return ReadDxfReal(text, out);
    const double v = static_cast<double>(m) / kTen[decimals];
    out = negative ? -v : v;
    return true;
}

long long DxfPairScanner::drawingLine(long long n) const {
    if (!added_) return n;
    // Each added pair is two lines, the first of them at the noted number.
    const auto before = std::lower_bound(added_->begin(), added_->end(), n) - added_->begin();
    return n - 2 * static_cast<long long>(before);
}

void DxfPairScanner::lineTooLong() {
    char buf[160];
    std::snprintf(buf, sizeof buf,
                  "Line %lld of the DXF file is %zu characters long; no DXF group holds more than %zu. "
                  "The file cannot be read.",
                  drawingLine(src_.LineNumber()), src_.FullLength(), kLongestLine);
    failWith(buf);
}

void DxfPairScanner::notACode() {
    failWith("Line " + std::to_string(drawingLine(src_.LineNumber())) +
             " of the DXF file should hold a group code (a whole number) but holds \"" + std::string(cur_) +
             "\". The file cannot be read.");
}

void DxfPairScanner::endsAfterCode(int code) {
    failWith("The DXF file ends at line " + std::to_string(drawingLine(src_.LineNumber())) +
             " with the group code " + std::to_string(code) + " and no value after it. The file cannot be read.");
}

bool DxfPairScanner::real(const GroupValue& v, double& out) {
    if (ReadGroupReal(v.text, out)) return true;
    failWith("Line " + std::to_string(drawingLine(v.line)) + " of the DXF file should hold a number but holds \"" +
             v.text + "\". The file cannot be read.");
    return false;
}

bool DxfPairScanner::integer(const GroupValue& v, long long& out) {
    double f;
    if (!real(v, f)) return false;
    // Flags and counts are small; a value no 64-bit integer holds (or not
    // finite) is a damaged file, not a number to wrap around.
    if (!(std::fabs(f) < 9.2e18)) {
        failWith("Line " + std::to_string(drawingLine(v.line)) + " of the DXF file should hold a whole number but holds \"" +
                 v.text + "\". The file cannot be read.");
        return false;
    }
    out = static_cast<long long>(std::trunc(f));
    return true;
}

}  // namespace tolva
