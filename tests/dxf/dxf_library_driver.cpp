// Converts many drawings in one run, for the test of LibreCAD's part library
// against an independent DXF reader (librecad_library_oracle.py).
//
//   dxf_library_driver MACHINE.ini OUT_DIR < list
//
// Each line of the list is "<0|1> <path>": whether AutoSketch is set for the
// drawing, and the drawing. Drawing n (from 0) is imported with the machine
// file's settings as a user's import would run; its program goes to
// OUT_DIR/<n>.nc, and one line "<n>\t<Program|NoUsableData|Failed>\t<seconds
// the import took>\t<message or note>" to standard output.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <unistd.h>

#include "../support/temp_folder.h"
#include "base/program_file.h"
#include "dxf/dxf_import.h"
#include "settings/machine_settings.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: dxf_library_driver MACHINE.ini OUT_DIR < list\n");
        return 2;
    }
    int status = 0;
    {
        const tolva::test::TempFolder folder("tolva-library");
        tolva::MachineSettings settings(folder.path());
        if (tolva::FileStatus st = settings.UseCommandLineMachineFile(argv[1]); !st.ok) {
            std::fprintf(stderr, "%s\n", st.message.c_str());
            status = 2;
        }
        const std::string out = argv[2];
        std::string line;
        for (long n = 0; status == 0 && std::getline(std::cin, line); ++n) {
            if (line.size() < 3) continue;
            settings.SetFlag("Autosketch", line[0] == '1');
            const auto t0 = std::chrono::steady_clock::now();
            const tolva::DxfImportResult r = tolva::ImportDxf(line.substr(2), settings);
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            const char* kind = r.kind == tolva::DxfImportResult::Program        ? "Program"
                               : r.kind == tolva::DxfImportResult::NoUsableData ? "NoUsableData"
                                                                                : "Failed";
            if (r.kind == tolva::DxfImportResult::Program) {
                const tolva::FileStatus st = tolva::WriteFileAtomic(
                    out + "/" + std::to_string(n) + ".nc", tolva::JoinLines(r.lines, tolva::LineEnd::LF, true));
                if (!st.ok) {
                    std::fprintf(stderr, "%s\n", st.message.c_str());
                    status = 2;
                }
            }
            std::cout << n << '\t' << kind << '\t' << seconds << '\t' << (r.kind == tolva::DxfImportResult::Program ? r.note : r.message)
                      << '\n';
        }
    }
    return status;
}
