#include "text/program_units.h"

#include "text/label_code.h"

namespace tolva {

namespace {

// Where the last occurrence of `code` in `line` starts, or npos.
std::size_t lastCode(std::string_view line, const std::string& code) {
    std::size_t last = std::string_view::npos;
    for (CodeSpan c = FindCodeSpan(line, code); c; c = FindCodeSpan(line, code, c.end)) last = c.pos;
    return last;
}

}  // namespace

Units UnitsInForce(std::string_view text, const std::string& inchCode, const std::string& metricCode) {
    // From the last line back: the first line holding either code decides.
    std::size_t end = text.size();
    while (true) {
        std::size_t start = end;
        while (start > 0 && text[start - 1] != '\n' && text[start - 1] != '\r') --start;
        const std::string_view line = text.substr(start, end - start);
        const std::size_t inch = lastCode(line, inchCode);
        const std::size_t metric = lastCode(line, metricCode);
        if (inch != std::string_view::npos || metric != std::string_view::npos) {
            if (metric == std::string_view::npos) return Units::Inch;
            if (inch == std::string_view::npos) return Units::Metric;
            return inch > metric ? Units::Inch : Units::Metric;
        }
        if (start == 0) return Units::Unknown;
        end = start - 1;
    }
}

std::string UnitsText(Units u, const std::string& inchCode, const std::string& metricCode) {
    if (inchCode.empty() && metricCode.empty()) return "Units: no codes in machine file";
    switch (u) {
        case Units::Inch: return "Units: inch (" + inchCode + ")";
        case Units::Metric: return "Units: mm (" + metricCode + ")";
        default: return "Units: not set (" + inchCode + "/" + metricCode + ")";
    }
}

}  // namespace tolva
