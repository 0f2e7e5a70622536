#include "plot/program_lines.h"

#include <cstring>

namespace tolva {

std::size_t ByteLines::endOf(std::size_t start) const {
    const char* d = bytes_.data();
    const std::size_t n = bytes_.size();
    if (start >= n) return n;
    if (!hasCR_) {
        const void* lf = std::memchr(d + start, '\n', n - start);
        return lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - d) : n;
    }
    std::size_t i = start;
    while (i < n && d[i] != '\n' && d[i] != '\r') ++i;
    return i;
}

std::size_t ByteLines::nextStart(std::size_t end) const {
    const std::size_t n = bytes_.size();
    if (end >= n) return n;
    if (bytes_[end] == '\r' && end + 1 < n && bytes_[end + 1] == '\n') return end + 2;
    return end + 1;
}

ByteLines::ByteLines(std::string_view bytes) : bytes_(bytes) {
    // Most programs end their lines with LF alone: those lines are found
    // with the library's search for one byte.
    hasCR_ = std::memchr(bytes.data(), '\r', bytes.size()) != nullptr;
    const std::size_t n = bytes.size();
    std::size_t start = 0;
    while (start < n) {
        if (count_ % kEvery == 0) checkpoints_.push_back(start);
        ++count_;
        start = nextStart(endOf(start));
    }
}

std::string_view ByteLines::Line(int i) const {
    if (i < 0 || i >= count_) return {};
    if (i != lastLine_) {
        int line;
        std::size_t start;
        if (lastLine_ >= 0 && i == lastLine_ + 1) {
            line = i;
            start = nextStart(lastEnd_);
        } else {
            line = i / kEvery * kEvery;
            start = checkpoints_[static_cast<std::size_t>(i / kEvery)];
            for (; line < i; ++line) start = nextStart(endOf(start));
        }
        lastLine_ = line;
        lastStart_ = start;
        lastEnd_ = endOf(start);
    }
    return bytes_.substr(lastStart_, lastEnd_ - lastStart_);
}

}  // namespace tolva
