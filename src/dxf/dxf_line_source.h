// Line-by-line reading of a DXF file, without a copy per line.
//
// A line ends at CR LF, LF or CR. A line longer than 255 characters is cut to
// its first 255 (the rest is passed over); FullLength() tells how long it was. The view Next() gives stays valid
// until the next call. A file that holds NUL bytes in its first block is not
// a DXF text file and is refused at Open(), so neither a binary DXF nor a
// sparse or garbage file is scanned to its end.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/program_file.h"
#include "text/gcode_words.h"

namespace tolva {

class DxfLineSource {
public:
    DxfLineSource() = default;
    ~DxfLineSource();
    DxfLineSource(const DxfLineSource&) = delete;
    DxfLineSource& operator=(const DxfLineSource&) = delete;

    // Opens `path`. Fails, with a message naming the file, when it cannot be
    // opened, is empty or is not text.
    FileStatus Open(const std::string& path);
    // Back to the first line.
    void Rewind();
    // The next line; false at the end of the file. Inline for the common
    // case of a whole line inside the block; the rest is nextSlow().
    bool Next(std::string_view& line) {
        if (pendingCR_ && pos_ < len_) {
            pendingCR_ = false;
            if (buffer_[pos_] == '\n') ++pos_;
        }
        if (!pendingCR_) {
            const char* begin = buffer_.data() + pos_;
            const char* end = buffer_.data() + len_;
            for (const char* p = begin; p != end; ++p) {
                if (*p == '\n' || *p == '\r') {
                    const std::size_t n = static_cast<std::size_t>(p - begin);
                    pos_ += n + 1;
                    pendingCR_ = *p == '\r';
                    ++lineNumber_;
                    fullLength_ = n;
                    line = std::string_view(begin, n < kMaxLine ? n : kMaxLine);
                    return true;
                }
            }
        }
        return nextSlow(line);
    }
    // Whether `needle` occurs anywhere from here to the end of the file, as
    // bytes (not only as a whole line). Reads to the end: Rewind() after it.
    // `perBlock`, when given, runs after every block read (1 MB), so a
    // window can stay responsive over a huge file.
    bool RestContains(std::string_view needle, const std::function<void()>& perBlock = {});
    // 1-based number of the line Next() gave last.
    long long LineNumber() const { return lineNumber_; }
    // Length in characters of that line before it was cut.
    std::size_t FullLength() const { return fullLength_; }
    long long Size() const { return size_; }

private:
    bool fill();
    bool nextSlow(std::string_view& line);

    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    std::size_t pos_ = 0, len_ = 0;
    bool pendingCR_ = false;  // the last line ended in CR: a following LF belongs to it
    bool eof_ = false;
    std::string carry_;       // a line that runs over the end of the buffer
    long long lineNumber_ = 0;
    std::size_t fullLength_ = 0;
    long long size_ = 0;
};

}  // namespace tolva
