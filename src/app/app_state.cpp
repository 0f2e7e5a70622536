#include "app/app_state.h"

namespace tolva {

AppState& App() {
    static AppState state;
    return state;
}

}  // namespace tolva
