// The pass files of the DXF import and the path-assembly passes run on them.
//
// All pass files live in one folder, the run's scratch folder
// (ScratchFolder()), under the names the import has always used:
//   "DXF1.$$$"     input of the current pass; at first the SegmentFile
//   "NEWFILE.$$$"  output of the current pass
//   "UNUSED.$$$"   pieces not yet placed (only the old pass loop wrote it;
//                  the indexed SORTOUT3 keeps them in memory)
//   "NewDXF.$$$"   the Corel pre-pass's copy of the drawing
//   "Temp.$$$"     sorting and block reversal
// A pass reads its input whole and writes "NEWFILE.$$$" atomically (a
// temporary file renamed into place), so a failed pass never leaves half a
// file. Lines end in LF.
//
// Failures (the folder removed, a full disk) return a FileStatus whose
// message is ready for the error box; nothing is thrown, the pass files stay
// as they were, and the caller must leave the editor alone.
#pragma once

#include <string>
#include <vector>

#include "base/program_file.h"
#include "dxf/path_assembly.h"

namespace tolva {

class Host;

namespace PassFile {
inline constexpr char Segment[] = "DXF1.$$$";
inline constexpr char NewFile[] = "NEWFILE.$$$";
inline constexpr char Unused[] = "UNUSED.$$$";
inline constexpr char NewDxf[] = "NewDXF.$$$";
inline constexpr char Temp[] = "Temp.$$$";
}  // namespace PassFile

// The main window's caption while each pass runs.
inline constexpr char kSortingCaption[] = "Sorting Dxf";
inline constexpr char kCrunchingCaption[] = "Crunching Lines";
inline constexpr char kRemovingDuplicatesCaption[] = "Removing Duplicates";
// The first line of the message when the rotation fails.
inline constexpr char kRenameProblem[] = "Rename File problem ! ";

// `folder` + "/" + `name`.
std::string PassFilePath(const std::string& folder, const char* name);

// Reads "DXF1.$$$" of `folder` into `lines` (the first pass reads it so).
FileStatus ReadPassInput(const std::string& folder, std::vector<std::string>& lines);
// `SetupMyFile`: the previous pass's output becomes this pass's input
// ("NEWFILE.$$$" renamed over "DXF1.$$$" in one step), which is then read
// into `input`. When "NEWFILE.$$$" cannot be renamed the message starts with
// kRenameProblem and "DXF1.$$$" is left as it was.
FileStatus SetupMyFile(const std::string& folder, std::vector<std::string>& input);
// Writes `lines` as "NEWFILE.$$$".
FileStatus WritePassOutput(const std::string& folder, const std::vector<std::string>& lines);

// `DeleteMyFile`: deletes every file of `folder` named `name` without regard
// to letter case ("dxf1.$$$" deletes "DXF1.$$$"). A missing file or folder is
// no failure; a file that stays is.
FileStatus DeleteMyFile(const std::string& folder, const std::string& name);
// Deletes all five pass files.
FileStatus DeletePassFiles(const std::string& folder);

// The passes on the files of `folder`; `host` (may be null) gets progress and
// ProcessEvents(). On success the result is in "NEWFILE.$$$".
// `SORTOUT3`: "DXF1.$$$" (the SegmentFile) chained into paths (ChainPieces).
FileStatus SORTOUT3(const std::string& folder, const PathAssemblySettings& settings, Host* host = nullptr);
// `CrunchLines`: SetupMyFile, then DropCollinearPieces. The import runs it
// only when settings.lineComp is on.
FileStatus CrunchLines(const std::string& folder, const PathAssemblySettings& settings, Host* host = nullptr);
// `RemoveDup2`: SetupMyFile, then CleanUpLines.
FileStatus RemoveDup2(const std::string& folder, const PathAssemblySettings& settings, Host* host = nullptr);

}  // namespace tolva
