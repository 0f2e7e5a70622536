#include "plot/line_codes.h"

#include <bit>

namespace tolva {

void LineCodes::Set(int slot, std::string_view code) {
    if (slot < 0 || slot >= kSlots) return;
    const std::uint32_t bit = 1u << slot;
    for (auto& m : byFirst_) m &= ~bit;
    used_ &= ~bit;
    codes_[slot] = std::string(code);
    if (code.empty()) return;
    byFirst_[static_cast<unsigned char>(code[0])] |= bit;
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
            // Codes are a few characters: compare in place rather than call memcmp.
            const std::size_t len = code.size();
            if (len > n - p) continue;
            std::size_t j = 1;
            while (j < len && d[p + j] == code[j]) ++j;
            if (j == len) found |= 1u << slot;
        }
    }
    return found;
}

}  // namespace tolva
