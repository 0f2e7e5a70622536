// An INI file held as its lines, read and rewritten without losing anything.
//
// Machine files and the recall file are small, hand-edited text files that
// other tools (and older versions of this program) also write, so a save must
// change only the lines it owns: every other byte, line end, comment, unknown
// key and unknown section stays exactly as it was.
//
// Rules:
// - A section starts at a line whose first non-blank character is "[" and that
//   holds a "]"; its name is the text between them, blanks trimmed.
// - An entry is a line holding "=" (not a section line, not starting with ";");
//   the key is the text before the first "=", the value the rest, both with
//   blanks and tabs trimmed. Lines without "=" are kept and ignored.
// - Section and key names match without regard to letter case (ASCII).
// - Duplicate sections and keys: a read takes the first occurrence of the key,
//   searching the sections of that name in file order; a write replaces that
//   same occurrence, so a write followed by a read gives the written value.
// - Writing a key that exists replaces its value in place, keeping the key as
//   spelled in the file. A new key goes after the last non-blank line of the
//   first section of that name; a new section goes to the end of the file.
// - New lines use the file's line-end style (the first line end found; LF for
//   a new file).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/program_file.h"

namespace tolva {

class IniFile {
public:
    IniFile() = default;
    explicit IniFile(std::string_view bytes) { Parse(bytes); }

    // Takes `bytes` as the whole file. Never fails: any byte sequence is
    // accepted and every byte of it is kept.
    void Parse(std::string_view bytes);

    // Reads a file. A file that does not exist gives an empty file and ok; a
    // file that exists and cannot be read gives an empty file and the reason.
    FileStatus Load(const std::string& path);
    // Writes the whole file atomically (the old file survives a failure).
    FileStatus Save(const std::string& path) const;

    // The file as bytes: exactly the parsed bytes when nothing was written.
    std::string Bytes() const;

    // The trimmed value of a key, or nothing when the key is absent.
    std::optional<std::string> Read(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view missing) const;
    // A value that is not a decimal integer reads as `missing`.
    int ReadInteger(std::string_view section, std::string_view key, int missing) const;
    // True for any integer other than 0; a non-integer reads as `missing`.
    bool ReadBool(std::string_view section, std::string_view key, bool missing) const;

    // Line breaks inside `value` become blanks, since they would end the
    // entry and turn the rest into lines of their own.
    void Write(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    bool HasSection(std::string_view section) const;

private:
    struct Line {
        std::string text;  // without its line end
        std::string end;   // "\r\n", "\n", "\r" or empty for an unterminated last line
    };
    struct Section {
        bool hasHeader = false;            // false only for the lines before the first section
        std::vector<Line> lines;           // the header line first when hasHeader
        std::unordered_map<std::string, std::size_t> keys;  // lower-case key -> first line
    };
    struct Found {
        std::size_t section, line;
    };

    std::optional<Found> find(std::string_view section, std::string_view key) const;
    void indexLine(Section& s, std::size_t line);

    std::vector<Section> sections_;
    std::unordered_map<std::string, std::vector<std::size_t>> byName_;  // lower-case name -> sections
    std::string lineEnd_ = "\n";
};

// Parses a decimal integer: optional blanks, optional sign, digits, optional
// blanks, nothing else, within the range of int.
std::optional<int> ParseInteger(std::string_view text);

// The integer made of the leading sign and digits of `text` (blanks skipped
// first); 0 when there are no digits. Saturates at the range of int.
int LeadingInteger(std::string_view text);

std::string_view TrimBlanks(std::string_view s);

}  // namespace tolva
