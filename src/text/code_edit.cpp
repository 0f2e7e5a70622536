#include "text/code_edit.h"

#include <algorithm>
#include <vector>

#include "text/label_code.h"

namespace tolva {
namespace {

std::vector<CodeSpan> spans(std::string_view line, std::string_view code) {
    std::vector<CodeSpan> out;
    if (!IsWordCode(code)) return out;
    for (CodeSpan s = FindCodeSpan(line, code); s; s = FindCodeSpan(line, code, s.end)) {
        out.push_back(s);
        if (s.end <= s.pos) break;
    }
    return out;
}

}  // namespace

bool ReplaceWholeCode(std::string& line, std::string_view from, std::string_view to) {
    const std::vector<CodeSpan> found = spans(line, from);
    for (auto s = found.rbegin(); s != found.rend(); ++s) line.replace(s->pos, s->end - s->pos, to);
    return !found.empty();
}

bool ExchangeWholeCodes(std::string& line, std::string_view a, std::string_view b) {
    if (!IsWordCode(a) || !IsWordCode(b) || (HasCode(a, b) && HasCode(b, a))) return false;
    struct Hit {
        CodeSpan span;
        std::string_view to;
    };
    std::vector<Hit> hits;
    for (const CodeSpan& s : spans(line, a)) hits.push_back({s, b});
    for (const CodeSpan& s : spans(line, b)) {
        const bool overlaps = std::any_of(hits.begin(), hits.end(), [&](const Hit& h) {
            return s.pos < h.span.end && h.span.pos < s.end;
        });
        if (!overlaps) hits.push_back({s, a});
    }
    std::sort(hits.begin(), hits.end(), [](const Hit& x, const Hit& y) { return x.span.pos > y.span.pos; });
    for (const Hit& h : hits) line.replace(h.span.pos, h.span.end - h.span.pos, h.to);
    return !hits.empty();
}

std::string_view FirstWordOfCode(std::string_view code) {
    CodeToken t;
    if (!IsWordCode(code) || !NextCodeToken(code, 0, t)) return {};
    return code.substr(t.begin, t.end - t.begin);
}

}  // namespace tolva
