#include "text/split_file.h"

#include "text/label_code.h"

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

// A line that is only a program number: "O" or ":" and a digit first.
bool programNumberLine(const std::string& line) {
    std::size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos || i + 1 >= line.size()) return false;
    const char c = line[i];
    return (c == 'O' || c == 'o' || c == ':') && std::isdigit(static_cast<unsigned char>(line[i + 1]));
}

bool hasAxisWord(const std::string& line, const Letters& letters) {
    for (const std::string* l : {&letters.X, &letters.Y, &letters.Z})
        if (!l->empty() && WordValue(*l, line).found) return true;
    return false;
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
    std::size_t headEnd = 0;
    while (headEnd < lines.size() && !hasAxisWord(lines[headEnd], codes.letters)) ++headEnd;
    if (headEnd == lines.size()) headEnd = 0;  // no move at all: no opening lines to repeat
    const std::vector<std::string> head(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(headEnd));

    long long i = 0;
    for (int p = 1;; ++p) {
        SplitPart part;
        part.fileName = SplitFileName(currentFileName, p);
        if (p > 1) {
            const std::string number = ":" + std::to_string(b + p - 1);
            bool numbered = false;
            for (const std::string& h : head) {
                if (!numbered && programNumberLine(h)) {
                    part.lines.push_back(number);
                    numbered = true;
                } else {
                    part.lines.push_back(h);
                }
            }
            if (!numbered) {
                const std::size_t f = head.empty() ? std::string::npos : head[0].find_first_not_of(" \t");
                const bool percent = f != std::string::npos && head[0][f] == '%';
                part.lines.insert(part.lines.begin() + (percent ? 1 : 0), number);
            }
        }
        bool lastPart = false;
        for (;; ++i) {
            part.lines.push_back(lines[static_cast<std::size_t>(i)]);
            if (i >= last) {
                lastPart = true;
                break;
            }
            if (i + 1 >= m * p && lines[static_cast<std::size_t>(i)].find("M91") != std::string::npos) break;
        }
        ++i;
        bool ended = false;
        if (lastPart) {
            for (std::size_t k = part.lines.size(); k-- > 0 && !ended;)
                ended = HasCode(part.lines[k], codes.fileEnd);
        }
        if (!ended) {
            part.lines.push_back(codes.partTail);
            part.lines.push_back(codes.fileEnd);
        }
        plan.parts.push_back(std::move(part));
        if (lastPart) break;
    }
    return plan;
}

}  // namespace tolva
