// Reading a DXF drawing into the SegmentFile: the first stage of the DXF
// import (`LOAD_DXF_FILE` up to the end of reading).
//
// The drawing is scanned line by line and whole lines are compared with fixed
// texts (group codes spelt as the chosen CAD-writer variant spells them), as
// the import has always done; it is never parsed as a tree. Entities of the
// chosen layer (LINE, POLYLINE/VERTEX, LWPOLYLINE, TRACE, SOLID, ARC, CIRCLE,
// ELLIPSE) become pairs of program lines in "DXF1.$$$" (segment_writer.h).
// Every scan ends at the end of the file; a value line that is not a number
// ends the import with a message naming the line.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "base/program_file.h"
#include "dxf/dxf_settings.h"

namespace tolva {

class Host;
class MachineSettings;

enum class DxfReadStatus {
    Read,           // elements were written; `segmentText` holds them
    NoUsableData,   // read to the end, nothing of the layer written
    VariantHint,    // no layer line found: the group codes do not match the variant
    NoEntities,     // the file has no ENTITIES section
    Failed,         // the file cannot be read, is not a DXF text file, or holds a bad value
};

struct DxfReadResult {
    DxfReadStatus status = DxfReadStatus::Failed;
    // What to show in the error box; empty when `status` is Read.
    std::string message;
    // The SegmentFile's text: its lines in pairs (start line, end line),
    // each ended by LF, exactly as written to `segmentFile`.
    std::string segmentText;
    std::size_t segmentLineCount = 0;
    // `segmentText` cut into lines (a copy per line: for tests and small
    // drawings, not for the import's own passes, which read the file).
    std::vector<std::string> SegmentLines() const;
    // Where the SegmentFile was written ("DXF1.$$$" in the scratch folder);
    // empty unless `status` is Read. Nothing is left behind otherwise.
    std::string segmentFile;
    // The layer list (`Memo4`): three lines of advice, then "Try Layer : "
    // and each layer met by LINE, POLYLINE and LWPOLYLINE.
    std::vector<std::string> layers;
    // The DXF plane factors and Z factor in force (after the "* -1" boxes),
    // kept for the DXF export.
    float xScale = 1.0f, yScale = 1.0f, zScale = 1.0f, zOffset = 0.0f;
    float UcsX = 0.0f, UcsY = 0.0f, UcsZ = 0.0f;
};

// The fifteen group-code lines of the variants, in the order: 0, 8, 10, 20,
// 21, 30, 31, 40, 42, 50, 51, 70, 90, 220, 230. The default column, then
// Ashlar, AutoSketch and Corel over it in that order, as checked.
using DxfGroupTags = std::array<std::string, 15>;
DxfGroupTags MakeDxfGroupTags(bool ashlar, bool autosketch, bool corel);

// The three opening lines of the layer list.
std::vector<std::string> LayerListHead();

// Reads `path` with `settings` and writes the SegmentFile "DXF1.$$$" into
// `scratchFolder`. With the Corel variant the drawing is first copied to
// "NewDXF.$$$" there with the missing Z groups added (AddZtoDXF); that copy is
// removed afterwards. `host`, when given, gets ProcessEvents() now and then.
// The caption to show meanwhile is "Reading Dxf".
DxfReadResult ReadDxfEntities(const std::string& path, const DxfImportSettings& settings,
                              const std::string& scratchFolder, Host* host = nullptr);

// The same with the settings of the machine in use and the run's scratch
// folder.
DxfReadResult LOAD_DXF_FILE(const std::string& path, const MachineSettings& settings,
                            Host* host = nullptr);

// The Corel pre-pass: copies `path` to `target`, adding a group 30 with value
// 0 after every group 20 and its value that no group 30 follows, and a 31
// after every 21 likewise (`tags` are the Corel variant's).
FileStatus AddZtoDXF(const std::string& path, const std::string& target, const DxfGroupTags& tags);

// The texts of the reader's messages.
extern const char* const kNoUsableData;     // " No Usable Data found in dxf file "
extern const char* const kVariantMismatch;  // " No Usable Data found in dxf file  Check or Uncheck AutoSketch1"

}  // namespace tolva
