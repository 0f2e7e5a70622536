#include "comm/receive_text.h"

namespace tolva {

std::vector<std::string> ReceivedLines(const std::string* lastLine, std::string_view bytes) {
    std::vector<std::string> lines;
    std::string current = lastLine ? *lastLine : std::string();
    bool ended = false;
    for (char c : bytes) {
        switch (static_cast<std::uint8_t>(c)) {
            case 8:
                if (!current.empty()) current.pop_back();
                break;
            case 0:
            case 10:
                break;
            case 13:
                lines.push_back(std::move(current));
                current.clear();
                ended = true;
                break;
            default:
                current += c;
        }
    }
    if (lastLine || ended || !current.empty()) lines.push_back(std::move(current));
    return lines;
}

}  // namespace tolva
