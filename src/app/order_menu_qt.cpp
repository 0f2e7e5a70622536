#include "app/order_menu_qt.h"

#include "app/app_state.h"
#include "app/edit_ops_window.h"
#include "app/main_window.h"
#include "app/swap_block.h"
#include "base/folders.h"
#include "base/program_editor_qt.h"
#include "plot/plot_window.h"
#include "settings/machine_settings.h"

#include <QSpinBox>

namespace {

// The sorts measure the objects with an interpreter of their own that draws
// nothing, at the plot window's view scale: a plot the window may be running
// is left alone, and the window draws the result afterwards.
class SortView : public tolva::PlotView {
public:
    int ViewScaleValue() override { return Form2 ? Form2->SpinEdit1->value() : 1000; }
};

template <typename Op>
void runObjects(TForm1& form1, tolva::MachineSettings& settings, Op op) {
    tolva::PlotState state = Form2 ? Form2->State() : tolva::PlotState{};
    tolva::NullCanvas canvas;
    SortView view;
    tolva::Interpreter interp(state, canvas, &settings, &view);
    EditProgramLines(form1, [&](std::vector<std::string>& lines, tolva::Host& host) {
        const tolva::ObjectSortResult r = op(lines, interp, host);
        if (!r.file.ok) host.Message(r.file.message);
        return r.file.ok && r.changed;
    });
}

}  // namespace

void SortObjectsClick(TForm1& form1, tolva::MachineSettings& settings, tolva::ObjectOrder order) {
    runObjects(form1, settings, [order](std::vector<std::string>& lines, tolva::Interpreter& interp, tolva::Host& host) {
        return tolva::SortObjects(lines, order, interp, host, tolva::ScratchFolder());
    });
}

void LargestToBottomClick(TForm1& form1, tolva::MachineSettings& settings) {
    runObjects(form1, settings, [](std::vector<std::string>& lines, tolva::Interpreter& interp, tolva::Host& host) {
        return tolva::LargestObjectToBottom(lines, interp, host);
    });
}

void MoveStartForwardClick(TForm1& form1, tolva::MachineSettings& settings) {
    const tolva::Letters letters = settings.Setaxis().letters;
    const int selStart = tolva::App().SelStartLine, count = tolva::App().SelLineCount;
    bool moved = false;
    EditProgramLines(form1, [&](std::vector<std::string>& lines, tolva::Host& host) {
        moved = tolva::MoveStartForward(lines, selStart, count, letters, host);
        return moved;
    });
    if (!moved) return;
    ProgramEditor& editor = *form1.RichEdit1;
    const int from = editor.PosOfLine(selStart + 1);
    int to = editor.PosOfLine(selStart + count + 2);
    if (to < from) to = static_cast<int>(editor.BytesView().size());
    editor.SendScintilla(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(from), static_cast<long>(to));
    form1.ShowLineNum2(&editor, &form1);
}

void SwapClick(TForm1& form1, tolva::MachineSettings& settings) {
    tolva::SwapOptions options;
    const tolva::AxisCodes codes = settings.Setaxis();
    options.cleanUp = tolva::ReadPathAssemblySettings(settings, codes);
    options.Bridgeport = settings.Flag("Bridgeport");
    options.SwapXY = settings.Flag("SwapXY");
    if (Form2) {
        options.DecimalPlaces = Form2->State().DecimalPlaces;
        options.CurLine = Form2->State().CurLine;
    }
    const bool highlighted = form1.RichEdit1->SelLength() > 0;
    const int selStart = tolva::App().SelStartLine, count = tolva::App().SelLineCount;
    EditProgramLines(form1, [&](std::vector<std::string>& lines, tolva::Host& host) {
        const tolva::SwapResult r =
            tolva::SwapBlock(lines, selStart, count, highlighted, options, host, tolva::ScratchFolder());
        if (!r.file.ok) host.Message(r.file.message);
        return r.file.ok && r.changed;
    });
}
