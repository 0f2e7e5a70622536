#include "base/program_file.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
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
        if (n == 0) {
            // Nothing taken and no reason given: a full device.
            err = ENOSPC;
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
FileStatus writeReplacing(const std::string& path, std::string_view bytes, bool durable) {
    ReplacingFile f;
    FileStatus st = f.Open(path, durable);
    if (st.ok) st = f.Append(bytes);
    if (st.ok) st = f.Commit();
    return st;
}
}  // namespace

FileStatus WriteFileAtomic(const std::string& path, std::string_view bytes) { return writeReplacing(path, bytes, true); }

FileStatus WriteScratchFile(const std::string& path, std::string_view bytes) {
    return writeReplacing(path, bytes, false);
}

FileStatus ReplacingFile::fail(int err) {
    Abandon();
    status_ = FileStatus::Fail(reason("Cannot write file", path_, err));
    return status_;
}

std::string SaveTarget(const std::string& path) {
    std::string target = path;
    // Linux gives up on a chain of more than 40 links; so do we (ELOOP then
    // comes from the open).
    for (int hop = 0; hop < 40; ++hop) {
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(target.c_str(), buf, sizeof buf - 1);
        if (n < 0) break;
        std::string link(buf, static_cast<std::size_t>(n));
        if (link.empty() || link[0] != '/') {
            // A relative link is read from the folder that holds it.
            const std::size_t slash = target.find_last_of('/');
            link = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + link;
        }
        target = link;
    }
    return target;
}

FileStatus ReplacingFile::Open(const std::string& path, bool durable) {
    Abandon();
    // Over a file-size limit the kernel stops a writer with SIGXFSZ, which
    // ends the process: the edit is lost and the temporary file stays.
    // Ignored, the write fails with EFBIG and is reported like any other.
    static const bool xfszIgnored = [] { return std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR; }();
    (void)xfszIgnored;
    // Through a symbolic link the file it names is replaced, in its own
    // folder; the link stays a link.
    path_ = SaveTarget(path);
    durable_ = durable;
    status_ = {};
    struct stat st {};
    const bool exists = ::stat(path_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return fail(EISDIR);
    if (exists && !S_ISREG(st.st_mode)) {
        // A device or pipe: there is nothing to rename over, write in place.
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0) return fail(errno);
        inPlace_ = true;
        return {};
    }
    if (exists && ::access(path_.c_str(), W_OK) != 0) return fail(errno);
    // Beside the target, under its name when that leaves room for the
    // suffix within the 255 bytes a name may have.
    const std::size_t slash = path_.find_last_of('/');
    const std::size_t baseLength = path_.size() - (slash == std::string::npos ? 0 : slash + 1);
    std::string name = baseLength + 13 <= NAME_MAX
                           ? path_ + ".tolva-XXXXXX"
                           : path_.substr(0, slash == std::string::npos ? 0 : slash + 1) + ".tolva-XXXXXX";
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) return fail(errno);
    tmp_ = name;
    inPlace_ = false;
    // The new file takes the old one's owner (where the system lets us)
    // and permissions, so a shared folder's file stays as shared as it was.
    if (exists) (void)!::fchown(fd_, st.st_uid, st.st_gid);
    ::fchmod(fd_, exists ? (st.st_mode & 07777) : 0644);
    return {};
}

FileStatus ReplacingFile::Append(std::string_view bytes) {
    if (!status_.ok) return status_;
    if (fd_ < 0) return fail(EBADF);
    int err = 0;
    if (!writeAll(fd_, bytes, err)) return fail(err);
    return {};
}

FileStatus ReplacingFile::Commit() {
    if (!status_.ok) return status_;
    if (fd_ < 0) return fail(EBADF);
    if (!inPlace_ && durable_ && ::fsync(fd_) != 0) return fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        fd_ = -1;
        return fail(err);
    }
    if (!inPlace_ && ::rename(tmp_.c_str(), path_.c_str()) != 0) return fail(errno);
    tmp_.clear();
    return {};
}

void ReplacingFile::Abandon() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tmp_.empty()) ::unlink(tmp_.c_str());
    tmp_.clear();
}

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
