#include "text/split_file.h"

#include <cctype>
#include <climits>

namespace tolva {
namespace {

// A whole number with optional blanks around it and an optional sign.
bool wholeNumber(const std::string& text, long long& out) {
    std::size_t i = 0, n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    while (n > i && (text[n - 1] == ' ' || text[n - 1] == '\t')) --n;
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == n) return false;
    long long v = 0;
    for (; i < n; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
        v = v * 10 + (text[i] - '0');
        if (v > INT_MAX) return false;
    }
    out = negative ? -v : v;
    return true;
}

}  // namespace

std::string SplitFileName(const std::string& current, int part) {
    const std::size_t slash = current.find_last_of('/');
    const std::size_t dot = current.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? current.substr(0, dot) : current) + "_" + std::to_string(part) + ".TXT";
}

SplitPlan SplitProgram(const std::vector<std::string>& lines, const SplitCodes& codes,
                       const std::string& currentFileName) {
    SplitPlan plan;
    long long m = 5000;
    if (!wholeNumber(codes.linesPerPart, m)) m = 5000;
    std::string number;
    for (char c : codes.firstProgram)
        if (c != ' ' && c != ':') number += c;
    long long b = 3000;
    if (!wholeNumber(number, b)) b = 3000;

    const long long last = static_cast<long long>(lines.size()) - 1;
    if (last < m || last < 0) {
        plan.tooSmall = "File is too samll to split Less than " + std::to_string(m) + " Lines";
        return plan;
    }
    long long i = 0;
    for (int p = 1;; ++p) {
        SplitPart part;
        part.fileName = SplitFileName(currentFileName, p);
        if (p > 1) {
            part.lines.push_back(codes.fileEnd);
            part.lines.push_back(":" + std::to_string(b + p - 1));
        }
        for (;; ++i) {
            part.lines.push_back(lines[static_cast<std::size_t>(i)]);
            // The last three lines are left out. A program of three lines or
            // fewer never meets i + 3 = last: it stops at its first line
            // rather than reading past its end.
            if (i + 3 >= last) break;
            if (i + 1 >= m * p && lines[static_cast<std::size_t>(i)].find("M91") != std::string::npos) break;
        }
        part.lines.push_back(codes.partTail);
        part.lines.push_back(codes.fileEnd);
        plan.parts.push_back(std::move(part));
        ++i;
        if (!(i < last - 2)) break;
    }
    return plan;
}

}  // namespace tolva
