#include "base/program_file.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolva {
namespace {

std::string reason(const std::string& what, const std::string& path, int err) {
    return what + " \"" + path + "\": " + std::strerror(err);
}

bool writeAll(int fd, std::string_view bytes, int& err) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

const char* LineEndText(LineEnd e) {
    switch (e) {
        case LineEnd::CRLF: return "\r\n";
        case LineEnd::CR: return "\r";
        default: return "\n";
    }
}

FileStatus ReadFileBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return FileStatus::Fail(reason("Cannot open file", path, errno));
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return FileStatus::Fail(reason("Cannot open file", path, EISDIR));
    }
    if (S_ISREG(st.st_mode) && st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buf[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            bytes.clear();
            return FileStatus::Fail(reason("Cannot read file", path, err));
        }
        bytes.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return {};
}

namespace {
FileStatus writeReplacing(const std::string& path, std::string_view bytes, bool durable);
}

FileStatus WriteFileAtomic(const std::string& path, std::string_view bytes) { return writeReplacing(path, bytes, true); }

FileStatus WriteScratchFile(const std::string& path, std::string_view bytes) {
    return writeReplacing(path, bytes, false);
}

namespace {
FileStatus writeReplacing(const std::string& path, std::string_view bytes, bool durable) {
    struct stat st {};
    bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return FileStatus::Fail(reason("Cannot write file", path, EISDIR));
    if (exists && !S_ISREG(st.st_mode)) {
        // A device or pipe: there is nothing to rename over, write in place.
        int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) return FileStatus::Fail(reason("Cannot write file", path, errno));
        int err = 0;
        bool ok = writeAll(fd, bytes, err);
        if (ok && ::close(fd) != 0) ok = false, err = errno;
        else if (!ok) ::close(fd);
        if (!ok) return FileStatus::Fail(reason("Cannot write file", path, err));
        return {};
    }
    if (exists && ::access(path.c_str(), W_OK) != 0)
        return FileStatus::Fail(reason("Cannot write file", path, errno));

    std::string tmp = path + ".tolva-XXXXXX";
    std::vector<char> name(tmp.begin(), tmp.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return FileStatus::Fail(reason("Cannot write file", path, errno));
    ::fchmod(fd, exists ? (st.st_mode & 07777) : 0644);
    int err = 0;
    bool ok = writeAll(fd, bytes, err);
    if (ok && durable && ::fsync(fd) != 0) ok = false, err = errno;
    if (::close(fd) != 0 && ok) ok = false, err = errno;
    if (ok && ::rename(name.data(), path.c_str()) != 0) ok = false, err = errno;
    if (!ok) {
        ::unlink(name.data());
        return FileStatus::Fail(reason("Cannot write file", path, err));
    }
    return {};
}

}  // namespace

LineEnd DetectLineEnd(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') return LineEnd::LF;
        if (bytes[i] == '\r') return (i + 1 < bytes.size() && bytes[i + 1] == '\n') ? LineEnd::CRLF : LineEnd::CR;
    }
    return LineEnd::LF;
}

std::vector<std::string> SplitLines(std::string_view bytes, bool* finalEnd) {
    std::vector<std::string> lines;
    std::size_t start = 0, n = bytes.size();
    bool ended = false;
    for (std::size_t i = 0; i < n; ++i) {
        char c = bytes[i];
        if (c != '\n' && c != '\r') continue;
        lines.emplace_back(bytes.substr(start, i - start));
        if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') ++i;
        start = i + 1;
        ended = true;
    }
    if (start < n) {
        lines.emplace_back(bytes.substr(start));
        ended = false;
    }
    if (finalEnd) *finalEnd = ended;
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines, LineEnd style, bool finalEnd) {
    const char* eol = LineEndText(style);
    std::size_t eolLen = std::strlen(eol), total = 0;
    for (const auto& l : lines) total += l.size() + eolLen;
    std::string out;
    out.reserve(total);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out += lines[i];
        if (i + 1 < lines.size() || finalEnd) out.append(eol, eolLen);
    }
    return out;
}

namespace {
// Length of the UTF-8 sequence that starts at `p` (a byte above 127), or 0
// when the bytes there are not one.
std::size_t utf8Length(const unsigned char* p, const unsigned char* end) {
    const unsigned char b = *p;
    std::size_t n = b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
    if (n == 0 || static_cast<std::size_t>(end - p) < n) return 0;
    for (std::size_t i = 1; i < n; ++i)
        if ((p[i] & 0xC0) != 0x80) return 0;
    return n;
}
}  // namespace

TextCheck CheckText(std::string_view bytes) {
    TextCheck c;
    std::size_t run = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char b = *p;
        if (b == '\n' || b == '\r') {
            if (run > c.longestLine) c.longestLine = run;
            run = 0;
            ++p;
            continue;
        }
        ++run;
        if (b >= 0x80) {
            // Latin-1 letters and signs (160..255) and UTF-8 text are text;
            // what is left of 128..159 are control codes.
            if (const std::size_t n = utf8Length(p, end)) {
                run += n - 1;
                p += n;
                continue;
            }
            if (b < 0xA0) ++c.controlBytes;
        } else if (b == 0) {
            ++c.nulBytes;
        } else if (b == 127 || (b < 32 && b != '\t' && b != '\v' && b != '\f')) {
            ++c.controlBytes;
        }
        ++p;
    }
    if (run > c.longestLine) c.longestLine = run;
    // NUL bytes are the blank frames of a tape's leader and trailer and say
    // nothing about the rest. A program may carry a few other control codes
    // (DC2/DC4 around a tape, a closing Ctrl-Z); random or executable data
    // has about one in four.
    const std::size_t counted = bytes.size() - c.nulBytes;
    c.binary = (counted == 0 && c.nulBytes > 0) || c.controlBytes * 10 > counted;
    return c;
}

std::string BaseName(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string UpperExtension(const std::string& path) {
    std::string base = BaseName(path);
    std::size_t dot = base.find_last_of('.');
    if (dot == std::string::npos) return {};
    std::string ext = base.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

}  // namespace tolva
