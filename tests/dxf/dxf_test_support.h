// Helpers of the DXF import tests: settings with a plain G-code machine, a
// private scratch folder, and drawings written from code/value pairs.
#pragma once

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "base/program_file.h"
#include "dxf/dxf_reader.h"
#include "dxf/dxf_settings.h"
#include "settings/label_table.h"
#include "../support/temp_folder.h"

namespace tolva::test {

// A private scratch folder for one test, removed afterwards.
class DxfScratch : public TempFolder {
public:
    DxfScratch() : TempFolder("tolva-dxf") {}
};

// Every drawing of LibreCAD's part library (Debian package librecad-data),
// handed to `each` with its path and whether a user would read it with
// AutoSketch set: its group codes have no leading blanks (the code line
// before the first SECTION tells). False when the library is not installed.
template <class Each>
bool ForEachLibreCadDrawing(Each each) {
    const std::filesystem::path root = "/usr/share/librecad/library";
    if (!std::filesystem::exists(root)) return false;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
        std::string ext = e.path().extension();
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!e.is_regular_file() || ext != ".dxf") continue;
        std::string bytes;
        ReadFileBytes(e.path(), bytes);
        const std::size_t section = bytes.find("SECTION");
        const std::size_t codeStart = bytes.rfind('\n', section >= 2 ? section - 2 : 0);
        const std::size_t first = codeStart == std::string::npos ? 0 : codeStart + 1;
        each(e.path().string(), section != std::string::npos && first < bytes.size() && bytes[first] != ' ');
    }
    return true;
}

// A machine that writes plain G-code: G01, G02, G03, letters N R I J K X Y Z.
inline LabelTable PlainLabels() {
    LabelTable t;
    const char* codes[] = {"%", "G01", "G02", "G03", "G41", "G42", "G90", "G91", "M03", "M05",
                           "M30", "(LEAD)", "N", "R", "I", "J", "K", "X", "Y", "Z", "G17", "G18", "G19"};
    for (int r = 0; r < 23; ++r) t.SetCell(1, r, codes[r]);
    t.SetCell(1, LabelRow::Rapid, "G 00");
    return t;
}

inline DxfImportSettings PlainSettings(const std::string& layer = "*", int decimals = 4) {
    DxfImportSettings s;
    s.layer = layer;
    s.decimals = decimals;
    LabelTable t = PlainLabels();
    s.codes = MakeAxisCodes(t, false, false);
    return s;
}

inline void SetCode(DxfImportSettings& s, int row, const std::string& code) {
    LabelTable t = PlainLabels();
    for (int r = 0; r < kLabelRows; ++r) t.SetCell(1, r, s.codes.codes[r]);
    t.SetCell(1, row, code);
    s.codes = MakeAxisCodes(t, s.swapXY, s.swapYZ);
}

// "0|LINE|8|0|10|1|..." as R12 writes it: codes right-aligned in three
// columns (or as given when `autosketch`), inside an ENTITIES section.
inline std::string Drawing(const std::string& pairs, bool autosketch = false,
                           const std::string& header = "") {
    std::ostringstream out;
    auto code = [&](const std::string& c) {
        if (autosketch || c.size() >= 3) return c;
        return std::string(3 - c.size(), ' ') + c;
    };
    out << code("0") << "\nSECTION\n" << code("2") << "\nHEADER\n" << header << code("0") << "\nENDSEC\n"
        << code("0") << "\nSECTION\n" << code("2") << "\nENTITIES\n";
    std::stringstream in(pairs);
    std::string c, v;
    while (std::getline(in, c, '|')) {
        std::getline(in, v, '|');
        out << code(c) << "\n" << v << "\n";
    }
    out << code("0") << "\nENDSEC\n" << code("0") << "\nEOF\n";
    return out.str();
}

inline std::string TestData(const std::string& name) {
    return std::string(TOLVA_TEST_DATA) + "/dxf/" + name;
}

}  // namespace tolva::test
