// Reading and writing program files. Program text is bytes: every byte
// 0..255 survives a load and a save, and a save keeps the line-end style of
// the loaded file (CR LF, LF or CR; LF for a new program).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolva {

enum class LineEnd { LF, CRLF, CR };

const char* LineEndText(LineEnd e);

// The outcome of a file operation: `ok`, or the operating system's reason.
struct FileStatus {
    bool ok = true;
    std::string message;
    static FileStatus Fail(std::string m) { return {false, std::move(m)}; }
};

// Reads a whole file. On failure `bytes` is left empty and the message names
// the file and the system's reason.
FileStatus ReadFileBytes(const std::string& path, std::string& bytes);

// Writes `bytes` so that a failure never destroys the old file: a regular
// file is written to a temporary file beside it, flushed to disk and renamed
// over it (keeping the old file's permissions); a device or other special
// file is written in place. A symbolic link is written through: the file it
// names is replaced in its own folder. On failure (a full disk, a file-size
// limit, a folder that takes no new file) the old file is as it was, no
// part of the new one is left, and the message gives the system's reason.
FileStatus WriteFileAtomic(const std::string& path, std::string_view bytes);

// The file a save of `path` replaces: `path` itself, or the file at the end
// of its chain of symbolic links (which need not exist yet).
std::string SaveTarget(const std::string& path);

// Writes a scratch file of this run: replaced in one step like the above,
// but not forced to disk (it does not outlive the run).
FileStatus WriteScratchFile(const std::string& path, std::string_view bytes);

// A file written in pieces that replaces `path` only once it is complete, as
// WriteFileAtomic does: the pieces go to a temporary file beside it, which
// Commit forces to disk and renames over `path`. Before Commit, and after any
// failure, the old file is untouched and no part of the new one is left
// under its name; a writer closed without Commit removes its temporary file.
// A device or other special file is written in place.
class ReplacingFile {
public:
    ReplacingFile() = default;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    ~ReplacingFile() { Abandon(); }

    FileStatus Open(const std::string& path, bool durable = true);
    // After a failure every later call fails with the same message.
    FileStatus Append(std::string_view bytes);
    FileStatus Commit();
    // Drops what was written; the old file stays as it was.
    void Abandon();
    bool IsOpen() const { return fd_ >= 0; }

private:
    FileStatus fail(int err);
    std::string path_, tmp_;
    int fd_ = -1;
    bool inPlace_ = false, durable_ = true;
    FileStatus status_;
};

// The line-end style of a text: the first line end found decides; LF when
// there is none.
LineEnd DetectLineEnd(std::string_view bytes);

// Splits text into lines at CR LF, LF or CR. A final line end does not start
// an empty line; `finalEnd` tells whether the text ended with one.
std::vector<std::string> SplitLines(std::string_view bytes, bool* finalEnd = nullptr);

// Joins lines with `style`; `finalEnd` adds a line end after the last line.
std::string JoinLines(const std::vector<std::string>& lines, LineEnd style, bool finalEnd);

// What a user should be told before a file is taken as a program.
// Text is printable ASCII, blanks, tabs and line ends, Latin-1 letters and
// signs (160..255) and UTF-8 sequences; NUL bytes (tape leaders and
// trailers) are counted apart; everything else is a control code.
struct TextCheck {
    bool binary = false;           // over a tenth control codes, or nothing but NULs
    std::size_t nulBytes = 0;      // NUL bytes found (kept as they are)
    std::size_t controlBytes = 0;  // control codes other than NUL, tab, line ends
    std::size_t longestLine = 0;
};
TextCheck CheckText(std::string_view bytes);

// The file name without its folder.
std::string BaseName(const std::string& path);
// The extension with its period, in capitals (".DXF"), or empty.
std::string UpperExtension(const std::string& path);

}  // namespace tolva
