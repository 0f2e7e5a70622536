// A DXF drawing as group code/value pairs: a code line (its blanks trimmed,
// so every CAD writer's spelling of a code reads alike) and the value line
// after it, taken as written. The pairs come from the file or, while a
// block is replayed, from the block's kept pairs. A code that is not a whole
// number, a file that ends between a code and its value, or a line too long
// for any DXF group ends the scan with a message naming the drawing's line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/host.h"
#include "dxf/dxf_line_source.h"

namespace tolva {

// A group code line: blanks and tabs around a whole number.
inline bool ParseGroupCode(std::string_view s, int& code) {
    const char* p = s.data();
    const char* end = p + s.size();
    while (p != end && (*p == ' ' || *p == '\t')) ++p;
    while (end != p && (end[-1] == ' ' || end[-1] == '\t')) --end;
    bool negative = false;
    if (p != end && *p == '-') {
        negative = true;
        ++p;
    }
    if (p == end || end - p > 9) return false;
    int v = 0;
    for (; p != end; ++p) {
        if (*p < '0' || *p > '9') return false;
        v = v * 10 + (*p - '0');
    }
    code = negative ? -v : v;
    return true;
}

// A value line as a real, as ReadDxfReal reads it.
bool ReadGroupReal(std::string_view text, double& out);

// A value as written, with the line it stands on (for messages).
struct GroupValue {
    std::string text;
    long long line = 0;
    bool present = false;
};

// A pair of a block's definition, kept as written until an INSERT replays it.
struct RawPair {
    int code;
    std::string value;
    long long line;
};

class DxfPairScanner {
public:
    // `added`, when given, holds the line numbers of lines a pre-pass added
    // to the drawing (each the first of an added pair), so that messages
    // name the drawing's own lines.
    DxfPairScanner(DxfLineSource& src, Host* host, const std::vector<long long>* added)
        : src_(src), host_(host), added_(added) {}

protected:
    // No DXF group holds a longer line; anything longer is not a drawing.
    static constexpr std::size_t kLongestLine = 65536;

    // Every read returns false at the end of the file or after a failure,
    // so every scan ends there.
    bool line() {
        if (stop_) return false;
        if (!src_.Next(cur_)) {
            stop_ = true;
            return false;
        }
        if (host_ && (src_.LineNumber() & 0xFFFF) == 0) host_->ProcessEvents();
        if (src_.FullLength() > kLongestLine) {
            lineTooLong();
            return false;
        }
        return true;
    }
    // The next pair into code_ and value_ (valid until the next read); false
    // at the end of the file (or of the block replayed) or on a failure. A
    // pair whose code line is exactly nine blanks and "7" is passed over
    // together with the pair after it, unless that one starts an entity.
    bool pair() {
        if (replay_) {
            if (replayPos_ >= replay_->size()) return false;
            const RawPair& p = (*replay_)[replayPos_++];
            code_ = p.code;
            value_ = p.value;
            valueLine_ = p.line;
            return true;
        }
        bool discard = false;
        for (;;) {
            bool seven;
            if (!rawPair(seven)) return false;
            if (discard && code_ != 0) {
                discard = false;
                continue;
            }
            if (seven && code_ != 0) {
                discard = true;
                continue;
            }
            return true;
        }
    }
    bool rawPair(bool& nineBlanksSeven) {
        if (!line()) return false;
        nineBlanksSeven = cur_ == "         7";
        int code;
        if (!ParseGroupCode(cur_, code)) {
            notACode();
            return false;
        }
        if (!line()) {
            if (!failed_) endsAfterCode(code);
            return false;
        }
        code_ = code;
        value_ = cur_;
        valueLine_ = src_.LineNumber();
        return true;
    }
    void failWith(const std::string& message) {
        message_ = message;
        failed_ = stop_ = true;
    }
    // The drawing's own line number of line `n` of the input.
    long long drawingLine(long long n) const;
    // A value as a number; false, with the scan failed and a message naming
    // the line, when it is not one.
    bool real(const GroupValue& v, double& out);
    bool integer(const GroupValue& v, long long& out);

    DxfLineSource& src_;
    Host* host_;
    const std::vector<long long>* added_;
    std::string_view cur_;
    int code_ = 0;
    std::string_view value_;
    long long valueLine_ = 0;
    bool stop_ = false, failed_ = false;
    std::string message_;
    const std::vector<RawPair>* replay_ = nullptr;  // the block being replayed, or null
    std::size_t replayPos_ = 0;

private:
    void lineTooLong();
    void notACode();
    void endsAfterCode(int code);
};

}  // namespace tolva
