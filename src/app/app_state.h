// Program-wide values shared by the windows and the core operations.
#pragma once

#include <string>

#include "plot/extents.h"

namespace tolva {

struct AppState {
    // The highlighted block: the line before the first highlighted line
    // (0-based, so -1 when the block starts in the first line) and the
    // number of highlighted lines.
    int SelStartLine = -1;
    int SelLineCount = 0;
    // Filled by the extents-only scale pass; read by the array window.
    Extents extents;
    // Target of "&Save": at most 255 characters, empty at start.
    std::string CurrentFileName;
};

AppState& App();

// The highlighted block and the indicator text from editor positions.
// `first`/`last` are 0-based line indices, `column` 0-based.
struct BlockPosition {
    int selStartLine = -1;  // the line before the first highlighted line
    int selLineCount = 0;
    std::string text;
};
BlockPosition ShowLineNumText(int first, int last, int column);

}  // namespace tolva
