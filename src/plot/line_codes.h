// Which of a fixed set of label-table codes occur in a line, found in one scan.
//
// The interpreter asks every line for the same nine or so codes (arc
// directions, modes, planes, cut on and off); searching for each in turn
// reads the line that many times. A code is matched exactly as `HasCode`
// matches it (as whole words outside comments); an empty code never matches.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/label_code.h"

namespace tolva {

class LineCodes {
public:
    static constexpr int kSlots = 32;
    // Puts `code` in `slot` (0..kSlots-1), replacing what was there.
    void Set(int slot, std::string_view code);
    // Bit `slot` is set when that slot's code occurs in `line`.
    std::uint32_t Find(std::string_view line) const;

private:
    std::array<std::string, kSlots> codes_;
    std::array<CodeToken, kSlots> first_{};                // each code's first word
    std::array<std::uint32_t, CodeToken::kNumber + 1> byKind_{};  // slots by the kind of their first word
    std::uint32_t used_ = 0;   // slots holding a non-empty code
    std::uint32_t plain_ = 0;  // slots holding a code found by the plain search
};

}  // namespace tolva
