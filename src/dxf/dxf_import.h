// A whole DXF import: the drawing is read into the segment file, chained into
// paths, given its head and tail and cleaned; the result is the finished
// program. Pass files live in the run's scratch folder; after a successful
// import none is left there.
#pragma once

#include <string>
#include <vector>

#include "base/host.h"

namespace tolva {

class MachineSettings;

struct DxfImportResult {
    enum Kind {
        Program,       // `lines` holds the program
        NoUsableData,  // nothing of the chosen layer: show `message`, then the layer setting
        Failed,        // `message` says why; nothing to load
    };
    Kind kind = Failed;
    std::string message;
    std::vector<std::string> lines;
    std::vector<std::string> layers;  // the layer list to show
    // After a program: what the drawing's units did (DxfReadResult::unitsNote)
    // and which kinds of entity of the layer were passed over
    // (PassedOverNote), in one line, or empty. After NoUsableData: what the
    // drawing held (HeldNote), also the layer list's last line. ImportDxf has
    // shown it with Host::Status.
    std::string note;
    // DXF plane and Z factors in force, for the DXF export.
    double xScale = 1.0, yScale = 1.0, zScale = 1.0, zOffset = 0.0;
};

// Runs every pass in order on `path` with the settings in force. "R instead
// of I J K" turns "Incremental Type I J" off and four-quadrant circles on in
// `settings`, as the import always does.
DxfImportResult ImportDxf(const std::string& path, MachineSettings& settings, Host* host = nullptr);

}  // namespace tolva
