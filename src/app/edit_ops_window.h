// Whole-program operations of the main window's menus that live outside the
// main window file: they read the editor's lines, run the core on them and
// write the result back as one undoable edit.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/program_operations.h"
#include "base/host.h"

class TForm1;
namespace tolva {
class MachineSettings;
}

// Runs `op` on the main editor's lines with the hourglass cursor and the
// progress on Gauge1 (through the host handed to `op`). When `op` returns
// true the lines go back into the editor as one undoable edit and the caret
// is put back where it was (or at the end of a shorter text), and the
// program is redrawn unless the caller redraws it itself (`redraw` false).
void EditProgramLines(TForm1& form1, const std::function<bool(std::vector<std::string>&, tolva::Host&)>& op,
                      bool redraw = true);

// Runs the operation of the table (app/program_operations.h) named
// `caption` on the main editor's program through EditProgramLines, with the
// highlighted block, the plot window's state and view scale, and whether
// the array window is shown, as they are now.
tolva::OperationResult RunMenuOperation(TForm1& form1, tolva::MachineSettings& settings, std::string_view caption,
                                        const std::vector<double>& values = {}, bool redraw = true,
                                        const tolva::InsertTexts* insertTexts = nullptr);

// The table's context for the main window's program, with `host`.
tolva::OperationContext MenuOperationContext(TForm1& form1, tolva::MachineSettings& settings, tolva::Host& host,
                                             tolva::PlotState& fallbackPlot);

// "Compress", its pop-up twin and the tool button "Cmp" (`flag` 0), and
// "Super Compress" (`flag` 1). An incremental program is refused with the
// incremental message. The plot window's state receives the distance-mode
// switch and the line counter of the pass.
void CompressClick(TForm1& form1, tolva::MachineSettings& settings, int flag);
