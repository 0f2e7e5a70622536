// The main window's items for line numbers, comments, blanks, line ends,
// units and the absolute/incremental conversions, and the plot window's
// modifier buttons. Each runs its operation of the table on the program's
// lines (RunMenuOperation) and writes them back as one undoable edit, which
// redraws.
#include <QLineEdit>

#include "app/edit_ops_window.h"
#include "app/main_window.h"
#include "plot/plot_window.h"

void TForm1::EditProgram(const LinesOperation& op) { EditProgramLines(*this, op); }

void TForm1::RunModifier(char mode, double value) {
    if (const tolva::ProgramOperation* op = tolva::ModifierOperation(mode))
        RunMenuOperation(*this, settings_, op->caption, {value});
}

void TForm1::AddLineNumbersClick() { RunMenuOperation(*this, settings_, "&Add Line Numbers"); }
void TForm1::RemoveLineNumbersClick() { RunMenuOperation(*this, settings_, "&Remove Line Numbers"); }
void TForm1::RemoveCommentsClick() { RunMenuOperation(*this, settings_, "Remove Comments enclosed by labels (71-72)"); }
void TForm1::PackClick() { RunMenuOperation(*this, settings_, "Pack the file remove all spaces"); }
void TForm1::AddLineEndsClick() { RunMenuOperation(*this, settings_, "Add Chars  to line end"); }
void TForm1::RemoveLineEndsClick() { RunMenuOperation(*this, settings_, "Remove Chars from line end"); }

bool TForm1::ConvertToIncrementalClick() {
    return !RunMenuOperation(*this, settings_, "Convert to Incremental G91").refused;
}

void TForm1::ConvertToAbsoluteClick() { RunMenuOperation(*this, settings_, "Convert to Absolute     G90"); }

namespace {

// Inch to Metric and back: the size operation with its factor shown in the
// plot window's size field while it runs; the field then shows "1.000"
// again and the windows go to their places.
void convertUnits(TForm1& form1, tolva::MachineSettings& settings, const char* caption, const char* factor) {
    if (!Form2) return;
    Form2->X_Edit1->setText(factor);
    // "Default Windows" redraws the program; one plot is enough.
    RunMenuOperation(form1, settings, caption, {}, false);
    Form2->X_Edit1->setText("1.000");
    form1.DefaultWindowsClick();
}

}  // namespace

void TForm1::InchToMetricClick() { convertUnits(*this, settings_, "Inch to Metric", "25.4"); }
void TForm1::MetricToInchClick() { convertUnits(*this, settings_, "Metric to Inch", "0.03937"); }
