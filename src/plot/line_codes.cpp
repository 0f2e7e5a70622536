#include "plot/line_codes.h"

#include <bit>

#include "text/label_code.h"

namespace tolva {

void LineCodes::Set(int slot, std::string_view code) {
    if (slot < 0 || slot >= kSlots) return;
    const std::uint32_t bit = 1u << slot;
    for (auto& m : byFirst_) m &= ~bit;
    used_ &= ~bit;
    // Blanks do not count (see FindCode): the code is kept without them.
    std::string& kept = codes_[slot];
    kept.clear();
    for (char c : code)
        if (!IsBlankChar(c)) kept += c;
    if (kept.empty()) return;
    byFirst_[static_cast<unsigned char>(kept[0])] |= bit;
    used_ |= bit;
}

std::uint32_t LineCodes::Find(std::string_view line) const {
    std::uint32_t found = 0;
    const char* d = line.data();
    const std::size_t n = line.size();
    for (std::size_t p = 0; p < n && found != used_; ++p) {
        std::uint32_t candidates = byFirst_[static_cast<unsigned char>(d[p])] & ~found;
        for (; candidates; candidates &= candidates - 1) {
            const int slot = std::countr_zero(candidates);
            const std::string& code = codes_[slot];
            // Codes are a few characters: compare in place, passing over the
            // line's blanks.
            const std::size_t len = code.size();
            std::size_t i = p + 1, j = 1;
            for (; j < len; ++i, ++j) {
                while (i < n && IsBlankChar(d[i])) ++i;
                if (i == n || d[i] != code[j]) break;
            }
            if (j == len) found |= 1u << slot;
        }
    }
    return found;
}

}  // namespace tolva
