// The operations that rewrite the whole program (or the highlighted block),
// each once, by the caption its menu item or button carries. The menus, the
// plot window's buttons, the find-and-insert button and the command line's
// batch run all reach the core through this one table, so an operation does
// the same wherever it is started.
//
// An operation reads the settings at the moment of use and works on the
// program's lines in place. Messages (refusals, scratch-file errors) go to
// the host as the window would show them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/find_core.h"
#include "base/host.h"
#include "plot/plot_state.h"

namespace tolva {

class MachineSettings;

// What an operation may read besides the program.
struct OperationContext {
    OperationContext(MachineSettings& s, Host& h, PlotState& p) : settings(s), host(h), plot(p) {}
    MachineSettings& settings;
    Host& host;
    // The highlighted block: the line before its first line, and its count.
    int selStartLine = -1;
    int selLineCount = 0;
    // Something is highlighted in the editor ("&Swap" only beeps otherwise).
    bool highlighted = false;
    // The plot's program-wide values: Compress leaves its distance mode and
    // line counter there, the modifiers their decimals, signs and line
    // counter; Swap reads the decimals and the line counter; the sorts
    // measure with a copy. The caller owns it.
    PlotState& plot;
    // The plot window's "View Scale" value: the sorts measure at it.
    int viewScale = 1000;
    // The array window is shown: a slide appends moved copies.
    bool appendCopies = false;
    // Where "Temp.$$$" and the other scratch files go.
    std::string scratchFolder;
    // The find-and-insert texts of the window's fields; the recall data's
    // when null.
    const InsertTexts* insertTexts = nullptr;
};

struct OperationResult {
    bool changed = false;  // some line was rewritten, inserted or removed
    // The operation refused or stopped part way. The host has been told,
    // except where `note` says what happened (a conversion that stopped at a
    // line already in its target mode only beeps in the window).
    bool refused = false;
    std::string note;
};

struct ProgramOperation {
    std::string_view caption;  // as the menu spells it, "&" included
    // Numbers that follow the caption on the command line: the slide amount,
    // spin angle, size factor or offset value.
    int values = 0;
    std::string_view valueName;  // for --list: "AMOUNT", "DEGREES", ...
    bool needsBlock = false;     // works on the highlighted block only
    // The slide keypad, spin, flip, flop and size: the modifier's mode
    // character; 0 for the others.
    char modifier = 0;
    OperationResult (*run)(std::vector<std::string>& lines, OperationContext& ctx,
                           const std::vector<double>& values);
    // Why `values` cannot be taken, as the window's fields would not take
    // them; empty when they can. Null: any numbers.
    std::string (*check)(const std::vector<double>& values) = nullptr;
};

// Every operation, in menu order.
const std::vector<ProgramOperation>& ProgramOperations();

// The operation a caption names: "&" dropped, runs of blanks read as one,
// letter case ignored ("Convert to Absolute G90" names "Convert to Absolute
// G90" with its five blanks). Null when none does. A caption may name
// operations of different numbers of values; `values` < 0 takes the first.
const ProgramOperation* FindProgramOperation(std::string_view caption, int values = -1);
// The slide keypad's, spin's, flip's, flop's or size's operation.
const ProgramOperation* ModifierOperation(char mode);

// Runs the operation of `caption` (which must exist) with `values`.
OperationResult RunProgramOperation(std::string_view caption, std::vector<std::string>& lines,
                                    OperationContext& ctx, const std::vector<double>& values = {});

// What loading a DXF drawing does with the program the import made, before
// it is shown: with "Run Insert Lines on File Load DXF " (ExecuteInsert) the
// program is compressed and the find-and-insert run; with "Swap X Y " every
// line is put in the order N G X Y Z I J K R M.
void AfterDxfImport(std::vector<std::string>& lines, OperationContext& ctx);

// Translates every line (cut to 255 characters first) with the table rows
// first..last: the menu item uses 29..69, the buttons T1 and T2 29..49 and
// 49..69, and so does translate-on-load.
void TranslateProgram(std::vector<std::string>& lines, const MachineSettings& settings, int first, int last);

}  // namespace tolva
