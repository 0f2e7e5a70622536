#include "dxf/dxf_import.h"

#include "base/folders.h"
#include "base/program_file.h"
#include "dxf/bridgeport.h"
#include "dxf/dxf_export.h"
#include "dxf/dxf_reader.h"
#include "dxf/dxf_settings.h"
#include "dxf/pass_files.h"
#include "dxf/path_assembly.h"
#include "dxf/plane_codes.h"
#include "settings/machine_settings.h"

namespace tolva {

DxfImportResult ImportDxf(const std::string& path, MachineSettings& settings, Host* host) {
    DxfImportResult out;
    ApplyRadiusInterlock(settings);
    const DxfImportSettings dxf = ReadDxfImportSettings(settings);
    const std::string& folder = ScratchFolder();

    DxfReadResult read = ReadDxfEntities(path, dxf, folder, host);
    out.layers = std::move(read.layers);
    out.xScale = read.xScale;
    out.yScale = read.yScale;
    out.zScale = read.zScale;
    out.zOffset = read.zOffset;
    // A later DXF export takes the factors this import took.
    ImportedAxisFactors() = AxisFactorsOf(read.xScale, read.yScale, read.zScale, read.zOffset);
    if (read.status == DxfReadStatus::NoUsableData) {
        out.kind = DxfImportResult::NoUsableData;
        out.message = read.message;
        out.note = read.heldNote;
        out.layers.push_back(out.note);
        if (host && !out.note.empty()) host->Status(out.note);
        return out;
    }
    if (read.status != DxfReadStatus::Read) {
        out.message = read.message;
        DeletePassFiles(folder);
        return out;
    }

    const PathAssemblySettings pa = ReadPathAssemblySettings(settings, dxf.codes);
    std::vector<std::string> lines;
    FileStatus st = SORTOUT3(folder, pa, host);
    if (st.ok && pa.lineComp) st = CrunchLines(folder, pa, host);
    if (st.ok && dxf.bridgeport) {
        st = SetupMyFile(folder, lines);
        if (st.ok) {
            BridgeportSettings bs;
            bs.codes = dxf.codes;
            bs.decimals = dxf.decimals;
            bs.rMode = dxf.rMode;
            bs.includeZ = dxf.includeZ;
            bs.xDiv2 = settings.Flag("Xdiv2");
            bs.iDiv2 = settings.Flag("Idiv2");
            bs.xScale = dxf.xScale;
            CONVERTBRIDGEPORT2(lines, bs);
            st = WritePassOutput(folder, lines);
        }
    }
    if (st.ok) {
        st = SetupMyFile(folder, lines);
        if (st.ok) {
            PlaneCodesResult planes = AddPlaneCodes2(lines, dxf);
            st = planes.status.ok ? WritePassOutput(folder, planes.lines) : planes.status;
        }
    }
    if (st.ok) st = RemoveDup2(folder, pa, host);
    std::string bytes;
    if (st.ok) st = ReadFileBytes(PassFilePath(folder, PassFile::NewFile), bytes);
    if (!st.ok) {
        // The passes' files stay for a look; the scratch folder goes at exit.
        out.message = st.message;
        return out;
    }
    out.lines = SplitLines(bytes);
    out.kind = DxfImportResult::Program;
    DeletePassFiles(folder);
    out.note = read.unitsNote;
    if (const std::string passed = PassedOverNote(read.passedOver, dxf.layer); !passed.empty())
        out.note += (out.note.empty() ? "" : " ") + passed;
    if (host && !out.note.empty()) host->Status(out.note);
    return out;
}

}  // namespace tolva
