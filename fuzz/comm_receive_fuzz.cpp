// The communications window's receive handler over arbitrary deliveries.
// The window is modelled as its list of lines, with the window's own rule
// for "empty" (no text at all). The bytes after the first are delivered once
// whole and once cut into pieces at places the first byte chooses; how a
// serial port happens to cut its deliveries must not change what the window
// shows, and no line may hold a byte the handler consumes.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "comm/receive_text.h"

namespace {

using Window = std::vector<std::string>;

void Deliver(Window& window, std::string_view bytes) {
    const bool empty = window.empty() || (window.size() == 1 && window[0].empty());
    const std::vector<std::string> lines = tolva::ReceivedLines(empty ? nullptr : &window.back(), bytes);
    if (lines.empty()) return;
    if (window.empty())
        window.push_back(lines.front());
    else
        window.back() = lines.front();
    window.insert(window.end(), lines.begin() + 1, lines.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    Window whole;
    Deliver(whole, bytes);

    Window pieces;
    std::uint32_t state = data[0] * 2654435761u + 1;
    for (std::size_t at = 0; at < bytes.size();) {
        state = state * 1103515245u + 12345u;
        const std::size_t n = 1 + (state >> 16) % 17;
        Deliver(pieces, bytes.substr(at, n));
        at += n;
    }

    // The window shows no text either way when it holds one empty line.
    for (Window* w : {&whole, &pieces})
        if (w->size() == 1 && w->front().empty()) w->clear();
    if (whole != pieces) __builtin_trap();
    for (const std::string& line : whole)
        for (char c : line)
            if (c == 0 || c == 8 || c == 10 || c == 13) __builtin_trap();
    return 0;
}
