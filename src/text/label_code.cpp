#include "text/label_code.h"

namespace tolva {

std::size_t FindCode(std::string_view line, std::string_view code) {
    std::size_t c0 = 0;
    while (c0 < code.size() && IsBlankChar(code[c0])) ++c0;
    if (c0 == code.size()) return std::string_view::npos;
    const char first = code[c0];
    for (std::size_t p = line.find(first); p != std::string_view::npos; p = line.find(first, p + 1)) {
        std::size_t i = p + 1, j = c0 + 1;
        for (;;) {
            while (j < code.size() && IsBlankChar(code[j])) ++j;
            if (j == code.size()) return p;
            while (i < line.size() && IsBlankChar(line[i])) ++i;
            if (i == line.size() || line[i] != code[j]) break;
            ++i;
            ++j;
        }
    }
    return std::string_view::npos;
}

}  // namespace tolva
