#include "plot/program_lines.h"

#include <cstring>

namespace tolva {

ByteLines::ByteLines(std::string_view bytes) : bytes_(bytes) {
    const std::size_t n = bytes.size();
    std::size_t start = 0;
    const char* d = bytes.data();
    while (start < n) {
        starts_.push_back(start);
        std::size_t i = start;
        while (i < n && d[i] != '\n' && d[i] != '\r') ++i;
        if (i >= n) break;
        if (d[i] == '\r' && i + 1 < n && d[i + 1] == '\n') ++i;
        start = i + 1;
    }
}

std::string_view ByteLines::Line(int i) const {
    if (i < 0 || i >= Count()) return {};
    const std::size_t s = starts_[i];
    const char* d = bytes_.data();
    std::size_t e = s;
    const std::size_t n = bytes_.size();
    while (e < n && d[e] != '\n' && d[e] != '\r') ++e;
    return bytes_.substr(s, e - s);
}

}  // namespace tolva
