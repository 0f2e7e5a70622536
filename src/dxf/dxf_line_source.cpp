#include "dxf/dxf_line_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>


namespace tolva {
namespace {

constexpr std::size_t kBlock = 1 << 20;

}  // namespace

DxfLineSource::~DxfLineSource() {
    if (file_) std::fclose(file_);
}

FileStatus DxfLineSource::Open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_)
        return FileStatus::Fail("Cannot open the DXF file " + path + ": " + std::strerror(errno));
    if (std::fseek(file_, 0, SEEK_END) == 0) {
        size_ = std::ftell(file_);
        std::fseek(file_, 0, SEEK_SET);
    }
    buffer_.resize(kBlock);
    if (!fill() && len_ == 0) {
        if (std::ferror(file_))
            return FileStatus::Fail("Cannot read the DXF file " + path + ": " + std::strerror(errno));
        return FileStatus::Fail("The DXF file " + path + " is empty.");
    }
    const std::string_view head(buffer_.data(), len_);
    if (head.find('\0') != std::string_view::npos)
        return FileStatus::Fail("The file " + path +
                                " is not a DXF text file (it holds binary data). Save the drawing "
                                "as an ASCII DXF file and open it again.");
    return {};
}

void DxfLineSource::Rewind() {
    std::clearerr(file_);
    std::fseek(file_, 0, SEEK_SET);
    pos_ = len_ = 0;
    pendingCR_ = eof_ = false;
    carry_.clear();
    lineNumber_ = 0;
    fill();
}

bool DxfLineSource::fill() {
    pos_ = 0;
    len_ = eof_ ? 0 : std::fread(buffer_.data(), 1, buffer_.size(), file_);
    if (len_ == 0) eof_ = true;
    return len_ > 0;
}

bool DxfLineSource::nextSlow(std::string_view& line) {
    carry_.clear();
    bool spanned = false;
    std::size_t total = 0;
    for (;;) {
        if (pos_ == len_ && !fill()) {
            // The end of the file ends the last line, if it has any text.
            if (!spanned) return false;
            ++lineNumber_;
            fullLength_ = total;
            line = carry_;
            return true;
        }
        if (pendingCR_) {
            pendingCR_ = false;
            if (buffer_[pos_] == '\n' && ++pos_ == len_) continue;
        }
        const char* begin = buffer_.data() + pos_;
        const char* end = buffer_.data() + len_;
        const char* p = begin;
        while (p != end && *p != '\n' && *p != '\r') ++p;
        const std::size_t n = static_cast<std::size_t>(p - begin);
        if (p == end) {
            // The line goes on in the next block: keep what fits in a line.
            if (carry_.size() < kMaxLine) carry_.append(begin, std::min(n, kMaxLine - carry_.size()));
            total += n;
            spanned = true;
            pos_ = len_;
            continue;
        }
        pos_ += n + 1;
        if (*p == '\r') pendingCR_ = true;
        ++lineNumber_;
        fullLength_ = total + n;
        if (!spanned) {
            line = std::string_view(begin, std::min(n, kMaxLine));
            return true;
        }
        if (carry_.size() < kMaxLine) carry_.append(begin, std::min(n, kMaxLine - carry_.size()));
        line = carry_;
        return true;
    }
}

bool DxfLineSource::RestContains(std::string_view needle, const std::function<void()>& perBlock) {
    if (needle.empty()) return true;
    // The last needle.size() - 1 bytes of a block are kept, so an occurrence
    // across two blocks is found too.
    std::string window;
    for (;;) {
        window.append(buffer_.data() + pos_, len_ - pos_);
        pos_ = len_;
        if (window.find(needle) != std::string::npos) return true;
        if (window.size() >= needle.size()) window.erase(0, window.size() - (needle.size() - 1));
        if (!fill()) return false;
        if (perBlock) perBlock();
    }
}

}  // namespace tolva
