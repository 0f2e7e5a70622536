// The program document: its lines, name, line ends and modified flag, the
// file loader, and the one load every window and command uses.
#pragma once

#include <string>
#include <vector>

#include "base/host.h"
#include "base/program_file.h"

namespace tolva {

// The current file name holds at most this many characters. A longer name
// is refused whole: cut, it would name another file.
constexpr std::size_t kMaxFileName = 255;
// The refusal of such a name.
std::string FileNameTooLongMessage(const std::string& name);

// An open program: its lines, the file it is saved to, how that file ended
// its lines, and whether it changed since it was loaded or saved.
struct Document {
    std::vector<std::string> lines;
    std::string name;  // the current file name; empty for an untitled program
    LineEnd style = LineEnd::LF;
    bool finalEnd = true;  // the last line has a line end
    bool modified = false;
    // The bytes a save writes: the lines joined in the file's style (an
    // empty program is empty).
    std::string Text() const;
};

// The longest line the editor takes: laying out a line of megabytes stalls
// the window for seconds, and no control reads such a program.
constexpr std::size_t kMaxEditorLine = 100000;

// Loads a text program. A file that CheckText finds binary (the message
// says how many of its bytes are control codes) or that has a line longer
// than kMaxEditorLine is refused; NUL bytes and overlong lines are kept as
// they are, with a warning in `warning`. On success `out` holds the lines,
// named `path`; on failure the status carries the message and `out` is empty.
FileStatus LoadProgramFile(const std::string& path, Document& out, std::string* warning = nullptr);
// The same check without splitting: `bytes` receives the file as it is.
FileStatus LoadProgramBytes(const std::string& path, std::string& bytes, std::string* warning = nullptr);

// What a load did. A refusal's reason, or a warning about a loaded file,
// is in `message` (empty: nothing to say); the caller shows it.
struct LoadOutcome {
    enum Kind {
        Loaded,
        Refused,       // nothing was loaded
        NoUsableData,  // a drawing without anything of the chosen layer
    };
    Kind kind = Refused;
    std::string message;
    bool drawing = false;             // the name ends in ".DXF"
    std::vector<std::string> layers;  // a drawing's layers, to show
};

// The one load of a program, for the window and for the command line: the
// name is checked (at most kMaxFileName characters), the letters and codes
// in force are taken from the label table (Setaxis), a ".DXF" name is
// imported with the settings in force and then compressed, find-and-inserted
// and word-ordered as AfterDxfImport says (the program is named after the
// drawing without ".DXF"); any other file is read as text (LoadProgramFile).
// With "Enable Translate on File load  DXF and Text" every line is then
// translated with label rows 30 to 70. Only a load that is Loaded replaces
// `doc` (unmodified); otherwise `doc` stays as it was.
struct OperationContext;
LoadOutcome LoadDocument(const std::string& path, OperationContext& ctx, Document& doc);

}  // namespace tolva
