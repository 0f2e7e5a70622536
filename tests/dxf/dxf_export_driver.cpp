// Writes DXF exports for the test of the export against an independent DXF
// reader (dxf_export_oracle.py).
//
//   dxf_export_driver MACHINE.ini SOURCE TARGET full|lines|points|length [SETTING=0|1 ...]
//
// The machine file is loaded and each named flag set; a SOURCE ending in
// ".dxf" is imported as "Open" would (its program goes to TARGET + ".nc"),
// any other is read as a program. The program's plot (or its points) goes to
// TARGET as the main window's exports write it, at View Scale 1000 and 4
// decimals, with the DXF factors of that import. "length" writes nothing but
// prints the plot's cut and rapid lengths (program units). Exit status 0 when
// written.
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "../support/temp_folder.h"
#include "base/program_file.h"
#include "dxf/dxf_export.h"
#include "dxf/dxf_import.h"
#include "plot/interpreter.h"
#include "plot/program_lines.h"
#include "settings/machine_settings.h"

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: dxf_export_driver MACHINE.ini SOURCE TARGET full|lines|points [SETTING=0|1 ...]\n");
        return 2;
    }
    int status = 0;
    {
        const tolva::test::TempFolder folder("tolva-export");
        tolva::MachineSettings settings(folder.path());
        if (tolva::FileStatus st = settings.UseCommandLineMachineFile(argv[1]); !st.ok) {
            std::fprintf(stderr, "%s\n", st.message.c_str());
            status = 2;
        }
        for (int i = 5; i < argc; ++i) {
            const std::string a = argv[i];
            const std::size_t eq = a.find('=');
            if (eq != std::string::npos) settings.SetFlag(a.substr(0, eq), a.substr(eq + 1) == "1");
        }
        const std::string source = argv[2], target = argv[3], mode = argv[4];
        std::vector<std::string> program;
        if (status == 0 && tolva::UpperExtension(source) == ".DXF") {
            const tolva::DxfImportResult r = tolva::ImportDxf(source, settings);
            if (r.kind != tolva::DxfImportResult::Program) {
                std::fprintf(stderr, "%s\n", r.message.c_str());
                status = 1;
            }
            program = r.lines;
            tolva::WriteFileAtomic(target + ".nc", tolva::JoinLines(program, tolva::LineEnd::LF, true));
        } else if (status == 0) {
            std::string bytes;
            if (tolva::FileStatus st = tolva::ReadFileBytes(source, bytes); !st.ok) {
                std::fprintf(stderr, "%s\n", st.message.c_str());
                status = 1;
            }
            program = tolva::SplitLines(bytes);
        }
        if (status == 0) {
            tolva::VectorLines text(program);
            tolva::FileStatus st;
            if (mode == "length") {
                tolva::PlotState state;
                tolva::NullCanvas canvas;
                tolva::Interpreter interp(state, canvas, &settings);
                interp.MainLineCount = text.Count();
                canvas.SetPenColour(tolva::kRed);
                tolva::RecordingHost quiet;
                interp.PlotAll(text, false, true, 0, 0, quiet);
                std::printf("cut %.6f rapid %.6f\n", static_cast<double>(state.TotalDist) - state.RapidDist,
                            static_cast<double>(state.RapidDist));
            } else if (mode == "points") {
                const tolva::AxisCodes codes = settings.Setaxis();
                tolva::DxfFormat f;
                f.XSign = codes.xSign;
                f.YSign = codes.ySign;
                f.DecimalPlaces = 4;
                st = tolva::DxfPointFile(target, text, codes.letters, f);
            } else {
                tolva::DxfPlotExport req;
                req.kind = mode == "lines" ? tolva::DxfExportKind::LinesOnly : tolva::DxfExportKind::Full;
                req.decimalPlaces = 4;
                req.factors = tolva::ImportedAxisFactors();
                st = tolva::ExportPlotDxf(target, text, settings, req);
            }
            if (!st.ok) {
                std::fprintf(stderr, "%s\n", st.message.c_str());
                status = 1;
            }
        }
    }
    return status;
}
