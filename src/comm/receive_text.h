// Received bytes into the lines of the receive window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolva {

// The lines one delivery leaves: the first replaces the window's last line
// (`lastLine`, null when the window is empty, then it is added), the others
// are added after it. Backspace (8) deletes the last character of the current
// line, 0 and 10 are ignored, 13 ends the line and starts an empty one, every
// other byte is a character. The last element is always what is left of the
// current line after the delivery, empty included, so erased text never stays
// on screen. An empty window that receives nothing visible stays empty.
std::vector<std::string> ReceivedLines(const std::string* lastLine, std::string_view bytes);

}  // namespace tolva
