#include "text/line_edits.h"

#include <algorithm>
#include <charconv>

#include "text/gcode_words.h"
#include "text/label_code.h"

namespace tolva {
bool Renumber(std::vector<std::string>& lines, std::string_view nCode, long long start, long long step) {
    if (nCode.empty()) return false;
    bool changed = false;
    long long n = start;
    char digits[24];
    std::string out;
    for (std::string& line : lines) {
        if (!HasCode(line, nCode)) {
            const auto r = std::to_chars(digits, digits + sizeof digits, n);
            out.clear();
            out.reserve(nCode.size() + static_cast<std::size_t>(r.ptr - digits) + 1 + line.size());
            out.append(nCode).append(digits, r.ptr).append(1, ' ').append(line);
            line.swap(out);
            changed = true;
        }
        n += step;
    }
    return changed;
}

bool RemoveNumbers(std::vector<std::string>& lines, std::string_view nCode) {
    if (nCode.empty()) return false;
    bool changed = false;
    for (std::string& line : lines) {
        const CodeSpan n = FindCodeSpan(line, nCode);
        if (!n) continue;
        std::size_t q = n.end;
        while (q < line.size() && IsBlankChar(line[q])) ++q;
        line.erase(0, q);
        changed = true;
    }
    return changed;
}

bool RemoveComments(std::vector<std::string>& lines, std::string_view open, std::string_view close) {
    if (open.empty() || close.empty()) return false;
    bool changed = false;
    for (std::string& line : lines) {
        const std::size_t a = line.find(open);
        if (a == std::string::npos) continue;
        const std::size_t b = line.find(close);
        if (b == std::string::npos || b < a) continue;
        line.erase(a, b - a + 1);
        changed = true;
    }
    return changed;
}

bool RemoveSpaces(std::vector<std::string>& lines) {
    bool changed = false;
    for (std::string& line : lines) {
        const auto end = std::remove(line.begin(), line.end(), ' ');
        if (end == line.end()) continue;
        line.erase(end, line.end());
        changed = true;
    }
    return changed;
}

bool AddLineEnds(std::vector<std::string>& lines, std::string_view ends) {
    if (ends.empty()) return false;
    bool changed = false;
    for (std::string& line : lines) {
        if (line.find(ends) != std::string::npos) continue;
        line.append(ends);
        changed = true;
    }
    return changed;
}

bool RemoveLineEnds(std::vector<std::string>& lines, std::string_view ends) {
    if (ends.empty()) return false;
    bool changed = false;
    for (std::string& line : lines) {
        const std::size_t at = line.find(ends);
        if (at == std::string::npos) continue;
        line.erase(at, ends.size());
        changed = true;
    }
    return changed;
}

bool ExchangeUnitCode(std::vector<std::string>& lines, const std::string& inchCode, const std::string& metricCode,
                      bool toMetric) {
    if (inchCode.empty() || metricCode.empty()) return false;
    const std::string& from = toMetric ? inchCode : metricCode;
    const std::string& to = toMetric ? metricCode : inchCode;
    bool changed = false;
    for (std::string& line : lines) {
        for (CodeSpan c = FindCodeSpan(line, from); c; c = FindCodeSpan(line, from, c.pos + to.size())) {
            line.replace(c.pos, c.end - c.pos, to);
            changed = true;
        }
    }
    return changed;
}

}  // namespace tolva
