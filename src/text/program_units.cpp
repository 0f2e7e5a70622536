#include "text/program_units.h"

namespace tolva {

Units UnitsInForce(std::string_view text, const std::string& inchCode, const std::string& metricCode) {
    const std::size_t inch = inchCode.empty() ? std::string_view::npos : text.rfind(inchCode);
    const std::size_t metric = metricCode.empty() ? std::string_view::npos : text.rfind(metricCode);
    if (inch == std::string_view::npos && metric == std::string_view::npos) return Units::Unknown;
    if (metric == std::string_view::npos) return Units::Inch;
    if (inch == std::string_view::npos) return Units::Metric;
    return inch > metric ? Units::Inch : Units::Metric;
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
