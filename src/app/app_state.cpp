#include "app/app_state.h"

namespace tolva {

AppState& App() {
    static AppState state;
    return state;
}

BlockPosition ShowLineNumText(int first, int last, int column) {
    BlockPosition b;
    int count = last - first + 1;
    b.selStartLine = first - 1;
    b.selLineCount = count;
    b.text = "  Pos [" + std::to_string(first + 1) + ":" + std::to_string(column + 1) + "]   " +
             "Sel : [" + std::to_string(count) + "]   ";
    return b;
}

}  // namespace tolva
