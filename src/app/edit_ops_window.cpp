#include "app/edit_ops_window.h"

#include "plot/plot_window.h"

#include <QApplication>
#include <QProgressBar>
#include <QSpinBox>

#include <algorithm>

#include "app/app_state.h"
#include "app/main_window.h"
#include "base/folders.h"
#include "base/program_editor_qt.h"
#include "settings/machine_settings.h"

namespace {

// The main window's host, with the progress shown on Gauge1. A message puts
// the normal cursor back first, as a box under the hourglass would confuse.
class GaugeHost : public tolva::Host {
public:
    explicit GaugeHost(TForm1& form1) : form1_(form1) {}
    void Message(const std::string& text) override {
        restoreCursor();
        form1_.host().Message(text);
    }
    bool AskYesNo(const std::string& text) override {
        restoreCursor();
        return form1_.host().AskYesNo(text);
    }
    void Beep() override { form1_.host().Beep(); }
    void Progress(int permille) override {
        if (permille < 0) {
            form1_.Gauge1->hide();
            return;
        }
        form1_.Gauge1->setValue(std::clamp(permille, 0, 1000));
        form1_.Gauge1->show();
    }
    // Repaints only: a key typed now would be lost when the lines go back.
    void ProcessEvents() override { QApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }
    void WaitCursor() {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        waiting_ = true;
    }
    void restoreCursor() {
        if (waiting_) QApplication::restoreOverrideCursor();
        waiting_ = false;
    }

private:
    TForm1& form1_;
    bool waiting_ = false;
};

}  // namespace

void EditProgramLines(TForm1& form1, const std::function<bool(std::vector<std::string>&, tolva::Host&)>& op,
                      bool redraw) {
    GaugeHost host(form1);
    host.WaitCursor();
    ProgramEditor& editor = *form1.RichEdit1;
    std::vector<std::string> lines = editor.Lines();
    const int caret = editor.SelStart();
    const bool changed = op(lines, host);
    if (changed) {
        editor.SetLines(lines);
        editor.SetCaret(std::min<int>(caret, static_cast<int>(editor.BytesView().size())));
    }
    host.Progress(-1);
    host.restoreCursor();
    // Every change of the program is drawn afresh.
    if (changed && redraw && Form2) Form2->Redraw();
}

namespace {
// While the array window is shown, a slide appends moved copies.
bool arrayWindowShown() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "Form9" && w->isVisible()) return true;
    return false;
}
}  // namespace

tolva::OperationContext MenuOperationContext(TForm1& form1, tolva::MachineSettings& settings, tolva::Host& host,
                                             tolva::PlotState& fallbackPlot) {
    tolva::OperationContext ctx(settings, host, Form2 ? Form2->State() : fallbackPlot);
    ctx.selStartLine = tolva::App().SelStartLine;
    ctx.selLineCount = tolva::App().SelLineCount;
    ctx.highlighted = form1.RichEdit1->SelLength() > 0;
    if (Form2) ctx.viewScale = Form2->SpinEdit1->value();
    ctx.appendCopies = arrayWindowShown();
    ctx.scratchFolder = tolva::ScratchFolder();
    return ctx;
}

tolva::OperationResult RunMenuOperation(TForm1& form1, tolva::MachineSettings& settings, std::string_view caption,
                                        const std::vector<double>& values, bool redraw,
                                        const tolva::InsertTexts* insertTexts) {
    tolva::OperationResult result;
    tolva::PlotState fallback;
    EditProgramLines(
        form1,
        [&](std::vector<std::string>& lines, tolva::Host& host) {
            tolva::OperationContext ctx = MenuOperationContext(form1, settings, host, fallback);
            ctx.insertTexts = insertTexts;
            result = tolva::RunProgramOperation(caption, lines, ctx, values);
            return result.changed;
        },
        redraw);
    return result;
}

void CompressClick(TForm1& form1, tolva::MachineSettings& settings, int flag) {
    RunMenuOperation(form1, settings, flag ? "Super Compress" : "Compress");
    form1.RichEdit1->show();
}
