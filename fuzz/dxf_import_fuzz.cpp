// The whole DXF import on arbitrary bytes: the reader, the emitters, path
// assembly, lead-ins and the passes. The first byte picks the CAD-writer
// variants and the settings that steer other branches; the rest is the
// drawing. Whatever the bytes, the import ends with a program, "no usable
// data" or a message, and leaves the program folder as it was.
#include <cstdint>
#include <string>

#include "base/program_file.h"
#include "dxf/dxf_import.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tolva;
    MachineSettings& m = fuzz::Mill();
    const std::string path = fuzz::RunFolder() + "/drawing.dxf";
    const std::string drawing(reinterpret_cast<const char*>(data) + (size ? 1 : 0), size ? size - 1 : 0);
    if (!WriteFileAtomic(path, drawing).ok) return 0;

    m.SetFlag("Autosketch", fuzz::Switch(data, size, 0));
    m.SetFlag("Ashlar", fuzz::Switch(data, size, 1));
    m.SetFlag("Corel", fuzz::Switch(data, size, 2));
    m.SetFlag("DesignCad", fuzz::Switch(data, size, 3));
    m.SetFlag("SwapXY", fuzz::Switch(data, size, 4));
    m.SetFlag("RCheckbox", fuzz::Switch(data, size, 5));
    m.SetFlag("IncludeZCheckBox", fuzz::Switch(data, size, 6));
    m.SetText("EditLayer", fuzz::Switch(data, size, 7) ? "*" : "0");

    RecordingHost host;
    const DxfImportResult r = ImportDxf(path, m, &host);
    if (r.kind == DxfImportResult::Failed && r.message.empty()) __builtin_trap();  // a failure must say why
    return 0;
}
