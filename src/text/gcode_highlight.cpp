#include "text/gcode_highlight.h"

#include <algorithm>

#include "text/label_code.h"

namespace tolva {

namespace {

bool isNumberStart(std::string_view s, std::size_t i) {
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    return i < s.size() && ((s[i] >= '0' && s[i] <= '9') || s[i] == '.');
}

std::size_t numberEnd(std::string_view s, std::size_t i) {
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    while (i < s.size() && ((s[i] >= '0' && s[i] <= '9') || s[i] == '.')) ++i;
    return i;
}

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

void HighlightLine(std::string_view line, const HighlightCodes& codes, std::vector<HighlightStyle>& styles) {
    styles.assign(line.size(), HighlightStyle::Plain);
    std::vector<bool> comment(line.size(), false);
    if (!codes.commentStart.empty()) {
        std::size_t from = 0;
        while ((from = line.find(codes.commentStart, from)) != std::string_view::npos) {
            std::size_t end = codes.commentEnd.empty()
                                  ? std::string_view::npos
                                  : line.find(codes.commentEnd, from + codes.commentStart.size());
            end = end == std::string_view::npos ? line.size() : end + codes.commentEnd.size();
            for (std::size_t i = from; i < end; ++i) {
                comment[i] = true;
                styles[i] = HighlightStyle::Comment;
            }
            from = end;
        }
    }
    // Words first, so that codes overwrite the words they contain ("G01").
    auto words = [&](const std::string& letter, HighlightStyle style) {
        if (letter.empty()) return;
        for (std::size_t at = line.find(letter); at != std::string_view::npos; at = line.find(letter, at + 1)) {
            const std::size_t n = at + letter.size();
            if (at > 0 && isLetter(line[at - 1]) && isLetter(letter.front())) continue;  // inside a word
            if (!isNumberStart(line, n)) continue;
            const std::size_t end = numberEnd(line, n);
            if (std::any_of(comment.begin() + at, comment.begin() + end, [](bool c) { return c; })) continue;
            std::fill(styles.begin() + at, styles.begin() + end, style);
        }
    };
    words(codes.lineLetter, HighlightStyle::LineNumber);
    for (const std::string& l : codes.axisLetters) words(l, HighlightStyle::Axis);
    auto mark = [&](const std::vector<std::string>& list, HighlightStyle style) {
        for (const std::string& code : list) {
            if (code.empty()) continue;
            for (CodeSpan c = FindCodeSpan(line, code); c; c = FindCodeSpan(line, code, std::max(c.end, c.pos + 1))) {
                const std::size_t at = c.pos, end = std::min(c.end, line.size());
                if (std::any_of(comment.begin() + at, comment.begin() + end, [](bool c) { return c; })) continue;
                std::fill(styles.begin() + at, styles.begin() + end, style);
            }
        }
    };
    mark(codes.motion, HighlightStyle::Motion);
    mark(codes.arc, HighlightStyle::Arc);
    mark(codes.cut, HighlightStyle::Cut);
}

}  // namespace tolva
