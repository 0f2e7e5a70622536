// "Save + Split the File": a long program cut into numbered part files for
// controllers with small memories, each a complete program, cut only after
// a line holding "M91".
#pragma once

#include <string>
#include <vector>

#include "text/gcode_words.h"

namespace tolva {

// The label table's texts the split uses (their code column).
struct SplitCodes {
    std::string linesPerPart;   // row 72: fewest lines per part, a whole number (else 5000)
    std::string firstProgram;   // row 23: program number of the first part, blanks and colons
                                // removed (else 3000)
    std::string partTail;       // row 78: the line before the end code of every part
    std::string fileEnd;        // row 10: the end code of every part
    // The letters in force: a part after the first begins with the program's
    // opening lines, those before its first line with an X, Y or Z word.
    Letters letters;
};

struct SplitPart {
    std::string fileName;
    std::vector<std::string> lines;
};

struct SplitPlan {
    // Set when the program is too small to split; nothing is to be written.
    std::string tooSmall;  // "File is too samll to split Less than m Lines"
    std::vector<SplitPart> parts;
};

// The name of part `part` (from 1): `current` with its extension replaced
// by "_" + part + ".TXT" (added when it has none).
std::string SplitFileName(const std::string& current, int part);

// Cuts `lines` into parts, each a program a control runs. Part p ends at the
// first line holding "M91" at or after line m * p - 1 (m lines per part,
// counted over the whole program); the last part runs to the program's last
// line, so the parts together hold every line. Every part but the last ends
// with the row 78 and row 10 codes (the last too when none of its lines holds
// the row 10 code). Every part after the first begins as the program began:
// its opening lines (those before the first line with an axis word), the
// program number line among them (a line beginning "O" or ":" and a digit)
// replaced by ":" + its own number, which is otherwise put after a leading
// "%" line or first.
SplitPlan SplitProgram(const std::vector<std::string>& lines, const SplitCodes& codes,
                       const std::string& currentFileName);

}  // namespace tolva
