// The program document's calculations that need no window: the extents and
// view scale after a load, the position indicator, the print headers, and
// the command-line conversion.
#pragma once

#include <string>
#include <vector>

#include "base/host.h"
#include "base/program_file.h"
#include "text/gcode_words.h"

namespace tolva {

// Largest and smallest X and Y of a program, in program units. The origin
// always lies inside (all four start at 0). After a pass `xSize`/`ySize`
// hold |largest| + |smallest|.
struct Extents {
    float maxX = 0, maxY = 0, minX = 0, minY = 0;
    float xSize = 0, ySize = 0;
};

// Reads the X and Y words of every line; a line without the word counts 0.
Extents MeasureExtents(const std::vector<std::string>& lines, const Letters& letters);
// The same over raw program text (lines ended by CR LF, LF or CR).
Extents MeasureExtents(std::string_view text, const Letters& letters);

// The range of the plot window's View Scale field.
constexpr long long kViewScaleMin = 1, kViewScaleMax = 999999;
// The view scale for a canvas `widthPixels` wide: width / larger size * 500,
// ties to even, kept within kViewScaleMin..kViewScaleMax; 0 when both sizes
// are 0 (the caller keeps its scale).
long long ScaleForExtents(const Extents& e, int widthPixels);

// The highlighted block and the indicator text from editor positions.
// `first`/`last` are 0-based line indices, `column` 0-based.
struct BlockPosition {
    int selStartLine = -1;  // the line before the first highlighted line
    int selLineCount = 0;
    std::string text;
};
BlockPosition ShowLineNumText(int first, int last, int column);

// Header lines printed at the top of a page of the program listing; the page
// number comes from the line index (50 lines a page), not from the printer.
std::vector<std::string> PrintHeaderLines(int lineIndex, const std::string& date,
                                          const std::string& time, const std::string& file);
// Indent of every printed program line.
inline const char* kPrintIndent = "           ";

// The current file name holds at most this many characters. A longer name
// is refused whole: cut, it would name another file.
constexpr std::size_t kMaxFileName = 255;
// The refusal of such a name.
std::string FileNameTooLongMessage(const std::string& name);

// A loaded program: its lines and how its file ended them.
struct ProgramFile {
    std::vector<std::string> lines;
    LineEnd style = LineEnd::LF;
    bool finalEnd = true;
};

// The longest line the editor takes: laying out a line of megabytes stalls
// the window for seconds, and no control reads such a program.
constexpr std::size_t kMaxEditorLine = 100000;

// Loads a text program. A file that CheckText finds binary (the message
// says how many of its bytes are control codes) or that has a line longer
// than kMaxEditorLine is refused; NUL bytes and overlong lines are kept as
// they are, with a warning in `warning`. On failure the status carries the
// message and `out` is empty.
FileStatus LoadProgramFile(const std::string& path, ProgramFile& out, std::string* warning = nullptr);
// The same check without splitting: `bytes` receives the file as it is.
FileStatus LoadProgramBytes(const std::string& path, std::string& bytes, std::string* warning = nullptr);

// "Line Order N G M X Y Z I J K R" (and "... R M") over every line, in
// place. A line of any length is rebuilt whole, its comments in their place.
void OrderAllLinesMFirst(std::vector<std::string>& lines, const Letters& letters);
void OrderAllLinesMLast(std::vector<std::string>& lines, const Letters& letters);

}  // namespace tolva
