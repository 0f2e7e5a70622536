#include "app/order_menu_qt.h"

#include "app/app_state.h"
#include "app/edit_ops_window.h"
#include "app/main_window.h"
#include "base/program_editor_qt.h"

void SortObjectsClick(TForm1& form1, tolva::MachineSettings& settings, tolva::ObjectOrder order) {
    RunMenuOperation(form1, settings,
                     order == tolva::ObjectOrder::Ascending ? "Sort Objects Acending" : "Sort Objects Decending");
}

void LargestToBottomClick(TForm1& form1, tolva::MachineSettings& settings) {
    RunMenuOperation(form1, settings, "Largest Object to bottom Only");
}

void MoveStartForwardClick(TForm1& form1, tolva::MachineSettings& settings) {
    const int selStart = tolva::App().SelStartLine, count = tolva::App().SelLineCount;
    if (!RunMenuOperation(form1, settings, "Move starting point Forward on highlighted code").changed) return;
    ProgramEditor& editor = *form1.RichEdit1;
    const int from = editor.PosOfLine(selStart + 1);
    int to = editor.PosOfLine(selStart + count + 2);
    if (to < from) to = static_cast<int>(editor.BytesView().size());
    editor.SendScintilla(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(from), static_cast<long>(to));
    form1.ShowLineNum2(&editor, &form1);
}

void SwapClick(TForm1& form1, tolva::MachineSettings& settings) { RunMenuOperation(form1, settings, "&Swap"); }
