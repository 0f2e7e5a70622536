#include "app/program_listing.h"

namespace tolva {

std::vector<std::string> PrintHeaderLines(int lineIndex, const std::string& date, const std::string& time,
                                          const std::string& file) {
    return {" ",
            "           Page : " + std::to_string(lineIndex / 50 + 1),
            " ",
            "           Date : " + date + "    Time : " + time + "    File : " + file,
            " "};
}

}  // namespace tolva
