#include "base/host.h"

#include <cstdio>

namespace tolva {

void StderrHost::Message(const std::string& text) {
    std::fprintf(stderr, "tolva: %s\n", text.c_str());
    ++messages;
}

bool StderrHost::AskYesNo(const std::string& text) {
    std::fprintf(stderr, "tolva: %s -> No\n", text.c_str());
    return false;
}

void StderrHost::Status(const std::string& text) { std::fprintf(stderr, "tolva: %s\n", text.c_str()); }

}  // namespace tolva
