// "&Swap": the highlighted block rewritten so that the tool runs the same path
// backwards. Straight moves are reversed by reversing the order of their
// points; arcs get the opposite direction code and, when the machine states
// centres relative to the arc's start (`Bridgeport`), centre offsets taken
// from the new start point.
//
// The block passes through the scratch files of `folder`: "Temp.$$$" (the
// block, last line first), "NEWFILE.$$$" (the reversed block) and, for the
// two duplicate-removal passes, "DXF1.$$$". Lines end in LF there.
#pragma once

#include <string>
#include <vector>

#include "base/host.h"
#include "base/program_file.h"
#include "dxf/path_assembly.h"
#include "text/axis_codes.h"

namespace tolva {

struct SwapOptions {
    bool Bridgeport = false;  // absolute I J K are offsets from the arc's start
    bool SwapXY = false;      // the lines read back are put in the order N G X Y Z I J K R M
    int DecimalPlaces = 3;    // of the recomputed centre offsets
    // The interpreter's line counter: at 0, every straight line of the block
    // is also written once as it stands (with its R word) before the reversed
    // line. The duplicate-removal passes keep both; the path is the same.
    int CurLine = 0;
    // The settings of the duplicate-removal passes; their arc words are kept
    // whatever the R setting says.
    PathAssemblySettings cleanUp;
};

// `SWAP_BLOCK3` on lines in memory: `reversed` is the block last line first,
// the result the lines of "NEWFILE.$$$" before the duplicate-removal passes.
std::vector<std::string> SwapBlockLines(const std::vector<std::string>& reversed, const SwapOptions& options);
// `SWAP_BLOCK3`: reads "Temp.$$$" of `folder`, writes "NEWFILE.$$$".
FileStatus SWAP_BLOCK3(const std::string& folder, const SwapOptions& options);

struct SwapResult {
    FileStatus file;       // a scratch file failed: lines untouched
    bool refused = false;  // an incremental program: the message was shown
    bool changed = false;  // the block was rewritten
};

// The whole of "&Swap" on lines selStartLine + 1 .. selStartLine + count.
// Refused with the incremental message when a line of the block runs in
// incremental mode (from the Incremental code, label row 7, to the next
// Absolute code); only a beep when `highlighted` is
// false (nothing is highlighted in the editor). The k-th line read back
// replaces the k-th line of the block, lines beyond the block are inserted
// after it, block lines left over hold one blank.
SwapResult SwapBlock(std::vector<std::string>& lines, int selStartLine, int count, bool highlighted,
                     const SwapOptions& options, Host& host, const std::string& folder);

}  // namespace tolva
