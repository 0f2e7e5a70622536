// The main window's items that reorder the program: the object sorts, moving
// a start point and reversing a block. They read the editor's lines, run the
// core (plot/object_sort.h, app/swap_block.h) and write the result back as
// one undoable edit, which the plot window then draws.
#pragma once

#include "plot/object_sort.h"

class TForm1;
namespace tolva {
class MachineSettings;
}

// "Sort Objects Acending" (Ctrl+Shift+A), "Sort Objects Decending" (Ctrl+D).
void SortObjectsClick(TForm1& form1, tolva::MachineSettings& settings, tolva::ObjectOrder order);
// "Largest Object to bottom Only" (Ctrl+B).
void LargestToBottomClick(TForm1& form1, tolva::MachineSettings& settings);
// "Move starting point Forward on highlighted code": the grown block is
// highlighted afterwards, so the next press moves the start on again.
void MoveStartForwardClick(TForm1& form1, tolva::MachineSettings& settings);
// "&Swap" (Ctrl+Alt+S) and its pop-up twin.
void SwapClick(TForm1& form1, tolva::MachineSettings& settings);
