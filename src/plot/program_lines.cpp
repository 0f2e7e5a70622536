#include "plot/program_lines.h"

#include <bit>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    // with the library's search for one byte, and counted 64 bytes at a time.
    hasCR_ = !bytes.empty() && std::memchr(bytes.data(), '\r', bytes.size()) != nullptr;
    const std::size_t n = bytes.size();
    std::size_t start = 0;
#if defined(__SSE2__)
    if (!hasCR_ && n > 0) {
        // Line k starts after the k-th LF; a final LF starts no new line.
        const char* d = bytes.data();
        const __m128i lf = _mm_set1_epi8('\n');
        checkpoints_.push_back(0);
        int lfs = 0;
        for (; start + 64 <= n; start += 64) {
            std::uint64_t m = 0;
            for (int q = 0; q < 4; ++q) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + start + 16 * q));
                m |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf))))
                     << (16 * q);
            }
            const int c = std::popcount(m);
            if (lfs % kEvery + c < kEvery) {
                lfs += c;
                continue;
            }
            for (; m; m &= m - 1) {
                const std::size_t next = start + static_cast<std::size_t>(std::countr_zero(m)) + 1;
                if (++lfs % kEvery == 0 && next < n) checkpoints_.push_back(next);
            }
        }
        for (; start < n; ++start) {
            if (d[start] != '\n') continue;
            if (++lfs % kEvery == 0 && start + 1 < n) checkpoints_.push_back(start + 1);
        }
        count_ = lfs + (d[n - 1] != '\n' ? 1 : 0);
        return;
    }
#endif
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
