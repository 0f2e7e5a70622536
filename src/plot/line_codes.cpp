#include "plot/line_codes.h"

#include <bit>

namespace tolva {

void LineCodes::Set(int slot, std::string_view code) {
    if (slot < 0 || slot >= kSlots) return;
    const std::uint32_t bit = 1u << slot;
    for (auto& m : byKind_) m &= ~bit;
    used_ &= ~bit;
    plain_ &= ~bit;
    codes_[slot] = std::string(code);
    if (code.find_first_not_of(" \t") == std::string_view::npos) return;
    used_ |= bit;
    if (!IsWordCode(code)) {
        plain_ |= bit;
        return;
    }
    NextCodeToken(codes_[slot], 0, first_[slot]);
    byKind_[static_cast<std::size_t>(first_[slot].kind)] |= bit;
}

std::uint32_t LineCodes::Find(std::string_view line) const {
    std::uint32_t found = 0;
    for (std::uint32_t p = plain_; p; p &= p - 1) {
        const int slot = std::countr_zero(p);
        if (HasCode(line, codes_[slot])) found |= 1u << slot;
    }
    CodeToken t;
    for (std::size_t p = 0; found != used_ && NextCodeToken(line, p, t); p = t.end) {
        std::uint32_t candidates = byKind_[static_cast<std::size_t>(t.kind)] & ~found;
        for (; candidates; candidates &= candidates - 1) {
            const int slot = std::countr_zero(candidates);
            if (MatchCodeAt(line, t, codes_[slot], first_[slot]) != std::string_view::npos) found |= 1u << slot;
        }
    }
    return found;
}

}  // namespace tolva
