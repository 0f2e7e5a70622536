// The main window's items for line numbers, comments, blanks, line ends,
// units and the absolute/incremental conversions. Each reads the settings
// at the moment of use, runs its core operation on the program's lines and
// writes them back as one undoable edit (EditProgramLines), which redraws.
#include <QLineEdit>

#include "app/app_state.h"
#include "app/edit_ops_window.h"
#include "app/main_window.h"
#include "plot/modifiers.h"
#include "plot/plot_window.h"
#include "settings/machine_settings.h"
#include "text/line_edits.h"

namespace {

// The modifier settings of the moment; the plot's decimals follow them.
tolva::ModifierSettings modifierSettings(const tolva::MachineSettings& settings) {
    tolva::ModifierSettings s = tolva::ReadModifierSettings(settings);
    s.selStartLine = tolva::App().SelStartLine;
    s.selLineCount = tolva::App().SelLineCount;
    if (Form2) Form2->State().DecimalPlaces = s.decimals;
    return s;
}

}  // namespace

void TForm1::EditProgram(const LinesOperation& op) { EditProgramLines(*this, op); }

void TForm1::AddLineNumbersClick() {
    const tolva::AxisCodes codes = settings_.Setaxis();
    const long long start = settings_.Int("StartLine"), step = settings_.Int("LineNum");
    EditProgramLines(*this, [&](std::vector<std::string>& lines, tolva::Host&) {
        return tolva::Renumber(lines, codes.letters.N, start, step);
    });
}

void TForm1::RemoveLineNumbersClick() {
    const tolva::AxisCodes codes = settings_.Setaxis();
    EditProgramLines(*this, [&](std::vector<std::string>& lines, tolva::Host&) {
        return tolva::RemoveNumbers(lines, codes.letters.N);
    });
}

void TForm1::RemoveCommentsClick() {
    const tolva::AxisCodes codes = settings_.Setaxis();
    EditProgramLines(*this, [&](std::vector<std::string>& lines, tolva::Host&) {
        return tolva::RemoveComments(lines, codes.Code(tolva::LabelRow::CommentStart),
                                     codes.Code(tolva::LabelRow::CommentEnd));
    });
}

void TForm1::PackClick() {
    EditProgramLines(*this, [](std::vector<std::string>& lines, tolva::Host&) { return tolva::RemoveSpaces(lines); });
}

void TForm1::AddLineEndsClick() {
    const std::string ends = settings_.Text("LineEnds");
    EditProgramLines(*this, [&](std::vector<std::string>& lines, tolva::Host&) { return tolva::AddLineEnds(lines, ends); });
}

void TForm1::RemoveLineEndsClick() {
    const std::string ends = settings_.Text("LineEnds");
    EditProgramLines(*this,
                     [&](std::vector<std::string>& lines, tolva::Host&) { return tolva::RemoveLineEnds(lines, ends); });
}

bool TForm1::ConvertToIncrementalClick() {
    const tolva::AxisCodes codes = settings_.Setaxis();
    const tolva::ModifierSettings s = modifierSettings(settings_);
    bool refused = false;
    EditProgramLines(*this, [&](std::vector<std::string>& lines, tolva::Host& host) {
        const tolva::ModifierResult r = tolva::ConvertToIncremental(lines, codes, s, host);
        refused = r.refused;
        return !r.refused && r.changed;
    });
    return !refused;
}

void TForm1::ConvertToAbsoluteClick() {
    const tolva::AxisCodes codes = settings_.Setaxis();
    const tolva::ModifierSettings s = modifierSettings(settings_);
    EditProgramLines(*this, [&](std::vector<std::string>& lines, tolva::Host& host) {
        const tolva::ModifierResult r = tolva::ConvertToAbsolute(lines, codes, s, host);
        return !r.refused && r.changed;
    });
}

namespace {

// Inch to Metric and back: the size operation with `factor` put into the
// plot window's size field, on the whole program whatever is highlighted;
// the field then shows "1.000" again and the windows go to their places.
void convertUnits(TForm1& form1, tolva::MachineSettings& settings, const char* factor) {
    if (!Form2) return;
    const tolva::AxisCodes codes = settings.Setaxis();
    tolva::ModifierSettings s = modifierSettings(settings);
    s.selLineCount = 0;
    Form2->X_Edit1->setText(factor);
    const tolva::AmountField f = tolva::CorrectAmount(Form2->X_Edit1->text().toStdString());
    s.factor = f.value;
    // "Default Windows" redraws the program; one plot is enough.
    EditProgramLines(
        form1,
        [&](std::vector<std::string>& lines, tolva::Host& host) {
            const tolva::ModifierResult r = tolva::SLIDE2(tolva::Modifier::Size, lines, codes, s, host);
            return !r.refused && r.changed;
        },
        false);
    Form2->X_Edit1->setText("1.000");
    form1.DefaultWindowsClick();
}

}  // namespace

void TForm1::InchToMetricClick() { convertUnits(*this, settings_, "25.4"); }
void TForm1::MetricToInchClick() { convertUnits(*this, settings_, "0.03937"); }
