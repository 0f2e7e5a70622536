// The whole DXF import on arbitrary bytes: the reader, the emitters, path
// assembly, lead-ins and the passes. The first byte picks the CAD-writer
// variants and the settings that steer other branches; the rest is the
// drawing. Whatever the bytes, the import ends with a program, "no usable
// data" or a message, and leaves the program folder as it was; and the
// drawing written with CR LF line ends imports exactly as with LF ends.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/program_file.h"
#include "dxf/dxf_import.h"
#include "fuzz_support.h"

namespace {

// `text` with every `from` replaced by `to`.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

tolva::DxfImportResult Import(const std::string& drawing, tolva::MachineSettings& m) {
    const std::string path = tolva::fuzz::RunFolder() + "/drawing.dxf";
    if (!tolva::WriteFileAtomic(path, drawing).ok) std::abort();
    tolva::RecordingHost host;
    return tolva::ImportDxf(path, m, &host);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tolva;
    MachineSettings& m = fuzz::Mill();
    const std::string drawing(reinterpret_cast<const char*>(data) + (size ? 1 : 0), size ? size - 1 : 0);

    m.SetFlag("Autosketch", fuzz::Switch(data, size, 0));
    m.SetFlag("Ashlar", fuzz::Switch(data, size, 1));
    m.SetFlag("Corel", fuzz::Switch(data, size, 2));
    m.SetFlag("DesignCad", fuzz::Switch(data, size, 3));
    m.SetFlag("SwapXY", fuzz::Switch(data, size, 4));
    m.SetFlag("RCheckbox", fuzz::Switch(data, size, 5));
    m.SetFlag("IncludeZCheckBox", fuzz::Switch(data, size, 6));
    m.SetText("EditLayer", fuzz::Switch(data, size, 7) ? "*" : "0");

    const DxfImportResult r = Import(drawing, m);
    if (r.kind == DxfImportResult::Failed && r.message.empty()) __builtin_trap();  // a failure must say why

    // The twin: the same lines with the other line end. A drawing whose CRs
    // do not all stand before an LF has no twin.
    const std::string lf = ReplaceAll(drawing, "\r\n", "\n");
    if (lf.find('\r') != std::string::npos) return 0;
    const std::string twin = lf == drawing ? ReplaceAll(lf, "\n", "\r\n") : lf;
    const DxfImportResult t = Import(twin, m);
    if (t.kind != r.kind || t.lines != r.lines || t.message != r.message) __builtin_trap();
    return 0;
}
