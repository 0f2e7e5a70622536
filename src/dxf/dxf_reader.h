// Reading a DXF drawing into the SegmentFile: the first stage of the DXF
// import (`LOAD_DXF_FILE` up to the end of reading).
//
// The drawing is read as group code/value pairs (dxf_pair_scanner.h). An
// entity starts only at a code 0 whose value names it, and each of its
// points, flags, bulges, radii, angles and extrusions comes from the pair of
// that code inside it; a value is never taken for a code or an entity name.
// It is never parsed as a tree: entities stream by, one at a time. Entities
// of the chosen layer whose kind the import reads (one table of them, also
// named by PassedOverNote) become pairs of program lines in "DXF1.$$$"
// (segment_writer.h); other kinds are counted and passed over. A scan
// failure, or a value that should be a number and is not, ends the import
// with a message naming the line. The Corel variant reads a copy of the
// drawing (dxf_corel.h).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "base/program_file.h"
#include "dxf/dxf_corel.h"
#include "dxf/dxf_settings.h"

namespace tolva {

class Host;
class MachineSettings;

enum class DxfReadStatus {
    Read,           // elements were written; `segmentText` holds them
    NoUsableData,   // read to the end, nothing of the layer written
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
    // Entities of the chosen layer whose kind the import does not read
    // (TEXT, INSERT, HATCH, ...): name and count, by name.
    std::vector<std::pair<std::string, long long>> passedOver;
    // The DXF plane factors and Z factor in force (after the "* -1" boxes),
    // kept for the DXF export.
    double xScale = 1.0, yScale = 1.0, zScale = 1.0, zOffset = 0.0;
    double UcsX = 0.0, UcsY = 0.0, UcsZ = 0.0;
    // With NoUsableData: what the drawing held (HeldNote).
    std::string heldNote;
    // What the drawing's $INSUNITS did to the scales, or empty.
    std::string unitsNote;
};

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

// The one line that tells, after an import, which kinds of entity of the
// chosen layer were passed over and how many of each, e.g.
// Passed over on layer "0": 3 INSERT, 12 TEXT, followed by the kinds that
// are read. Empty when none.
std::string PassedOverNote(const std::vector<std::pair<std::string, long long>>& passedOver,
                           const std::string& layer);

// The line that tells, for a drawing of which nothing could be used, what it
// held: every kind of entity of its ENTITIES section on any layer and how
// many, e.g. The drawing holds 3 INSERT and 2 TEXT, none of it usable on
// layer "0".
std::string HeldNote(const std::vector<std::pair<std::string, long long>>& held, const std::string& layer);

// The text of the reader's no-data message.
extern const char* const kNoUsableData;  // " No Usable Data found in dxf file "

}  // namespace tolva
