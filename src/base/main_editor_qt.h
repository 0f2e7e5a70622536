// The main window as the lower floors' windows see it: the one document's
// editor, the highlighted block, and the position indicator that follows the
// caret. The main window registers itself here while it lives, so the plot,
// tool and communications windows reach the program without knowing the
// main window's class.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/host.h"

class ProgramEditor;
class QPrinter;

class MainEditorAccess {
public:
    virtual ~MainEditorAccess() = default;
    // The main editor; null while it does not exist.
    virtual ProgramEditor* MainEditor() = 0;
    // The highlighted block: the line before its first line (-1 when it
    // starts in the first line) and its number of lines.
    virtual int SelStartLine() const = 0;
    virtual int SelLineCount() const = 0;
    // The caret was moved from outside: refresh the position indicator.
    virtual void MainCaretMoved() = 0;
    // A whole-program operation: `op` gets the program's lines and a host
    // that shows the progress; when it returns true the lines go back into
    // the editor as one undoable edit and the program is redrawn.
    using LinesOperation = std::function<bool(std::vector<std::string>&, tolva::Host&)>;
    virtual void EditProgram(const LinesOperation& op) = 0;
    // The one printer the windows print on (chosen by "Print Setup"); null
    // when the main window keeps none.
    virtual QPrinter* SharedPrinter() { return nullptr; }
    // The plot window's slide keypad, spin, flip, flop or size (`mode` as
    // the modifiers name it) with the slide amount or size factor `value`:
    // the main window runs it from its table of operations, on the block and
    // with the array window's append rule as they are now.
    virtual void RunModifier(char mode, double value) = 0;
};

// The main window while it exists, else null.
inline MainEditorAccess* MainWindowAccess = nullptr;
