// Batch operations on the command line, without a window:
//   tolva --run "OP;OP;..." SOURCE TARGET [MACHINE.ini] [--sel START,COUNT]
// SOURCE is loaded as the window loads it (LoadDocument), each
// OP runs in turn on the whole program through the table of operations the
// menus use (app/program_operations.h), and TARGET is written as program
// text. An OP is a menu caption ("&" optional, runs of blanks read as one,
// letter case ignored), followed by its numbers where it takes some
// ("Slide Up 5", "Spin 90", "Size 2.5", "Offset -0.125").
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/program_operations.h"
#include "base/host.h"
#include "base/program_file.h"

namespace tolva {

class MachineSettings;

// One step of a pipeline: its operation and its numbers.
struct BatchStep {
    const ProgramOperation* op = nullptr;
    std::vector<double> values;
    std::string text;  // as given, for messages
};

// Reads "OP;OP;..." into steps; empty steps (";;", a final ";") are skipped.
// On a step that names no operation, or has the wrong numbers, returns the
// message and leaves `steps` as far as it got.
std::string ParsePipeline(std::string_view text, std::vector<BatchStep>& steps);

// "START,COUNT": the 1-based number of the block's first line and its number
// of lines (at least 1). False when it is not two such whole numbers.
bool ParseBlock(std::string_view text, int& start, int& count);

// The operation names for --list, one a line, with their numbers.
std::string OperationList();

// The whole command, `args` being what follows "--run". Returns the exit
// status: 0 when every step ran and TARGET was written; 1 when a file could
// not be read or written or a step refused (TARGET is then not written);
// 2 for a command line that names no operation or lacks a file.
// Messages go to `host` (standard error in the real command).
int RunBatchCommand(const std::vector<std::string>& args, MachineSettings& settings, Host& host,
                    const std::string& scratchFolder);

}  // namespace tolva
