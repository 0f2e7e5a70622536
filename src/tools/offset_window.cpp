#include "tools/offset_window.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

#include "base/main_editor_qt.h"
#include "base/program_editor_qt.h"
#include "base/qt_host_qt.h"
#include "plot/plot_window.h"
#include "plot/program_lines.h"
#include "settings/machine_settings.h"
#include "text/compress.h"
#include "text/number_format.h"
#include "tools/offset.h"

namespace {

ProgramEditor* mainEditor() { return MainWindowAccess ? MainWindowAccess->MainEditor() : nullptr; }

}  // namespace

TForm8::TForm8(tolva::MachineSettings* settings, QWidget* parent)
    : ShellWindow("Form8", "Offsetting", parent), settings_(settings), host_(std::make_unique<QtHost>(this)) {
    Form8 = this;
    QWidget* central = centralWidget();
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);

    auto* top = new QHBoxLayout;
    auto* caption = new QLabel("+/- Offset Value", central);
    caption->setObjectName("Label1");
    top->addWidget(caption);
    OffsetEdit1 = new QLineEdit(tolva::kDefaultOffsetText, central);
    OffsetEdit1->setObjectName("OffsetEdit1");
    OffsetEdit1->setMaximumWidth(100);
    top->addWidget(OffsetEdit1);
    Label2 = new QLabel("Min Rad = 0", central);
    Label2->setObjectName("Label2");
    top->addWidget(Label2);
    top->addStretch(1);
    Panel2 = new QLabel("Pos [ ] Sel [ ]", central);
    Panel2->setObjectName("Panel2");
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    top->addWidget(Panel2);
    layout->addLayout(top);

    auto* hint = new QLabel(" << Highlight code to offset.      Right click to step plot", central);
    hint->setObjectName("Label3");
    layout->addWidget(hint);

    RichEdit1 = new ProgramEditor(central);
    RichEdit1->setObjectName("RichEdit1");
    RichEdit1->setContextMenuPolicy(Qt::NoContextMenu);  // the right button steps the plot
    layout->addWidget(RichEdit1, 1);
    RichEdit1->installEventFilter(this);
    RichEdit1->viewport()->installEventFilter(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(121);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    buildMenus();
    resize(width(), 300);
}

TForm8::~TForm8() {
    if (Form8 == this) Form8 = nullptr;
}

void TForm8::buildMenus() {
    QMenuBar* bar = menuBar();
    QMenu* edit = bar->addMenu("Edit");
    edit->addAction("Cut", [this] { RichEdit1->cut(); });
    edit->addAction("Copy", [this] { RichEdit1->copy(); });
    edit->addAction("Paste", [this] { RichEdit1->paste(); });
    edit->addAction("Delete", [this] { RichEdit1->removeSelectedText(); });
    edit->addAction("Select All", [this] { RichEdit1->selectAll(); });
    QMenu* ops = bar->addMenu("Operations");
    ops->addAction("Copy to File end", [this] { CopyToFileEndClick(); });
    ops->addAction("Insert above", [this] { InsertAboveClick(); });
    ops->addAction("Replace", [this] { ReplaceClick(); });
    ops->addAction("Insert Below", [this] { InsertBelowClick(); });
    bar->addAction("Plot ", [this] { PlotClick(); });
    bar->addAction("Reload", [this] { ReloadClick(); });
}

void TForm8::OffsetClick(tolva::Host& host) {
    ProgramEditor* editor = mainEditor();
    if (!editor) return;
    const std::vector<std::string> lines = editor->Lines();
    const tolva::AxisCodes codes = settings_ ? settings_->Setaxis() : tolva::AxisCodes{};
    if (tolva::ContainsCode(lines, codes.Code(tolva::LabelRow::Incremental))) {
        tolva::IncMessageErr(host);
        return;
    }
    if (lines.size() <= 1) return;
    show();
    raise();
    RichEdit1->SetLines({});
    Auto();
}

void TForm8::Auto() {
    ProgramEditor* editor = mainEditor();
    if (!editor) return;
    tolva::OffsetSettings s;
    if (settings_) s = tolva::ReadOffsetSettings(*settings_);
    if (Form2) Form2->State().DecimalPlaces = s.decimals;
    bool repaired = false;
    const float d = tolva::ReadOffsetValue(OffsetEdit1->text().toStdString(), repaired);
    if (repaired) OffsetEdit1->setText(tolva::kDefaultOffsetText);

    QApplication::setOverrideCursor(Qt::WaitCursor);
    tolva::OffsetReport report;
    const std::vector<std::string> result =
        tolva::OffsetAuto(editor->Lines(), MainWindowAccess->SelStartLine(), MainWindowAccess->SelLineCount(), d, s,
                          report);
    std::vector<std::string> all = RichEdit1->LineCount() > 0 ? RichEdit1->Lines() : std::vector<std::string>{};
    all.insert(all.end(), result.begin(), result.end());
    RichEdit1->SetLines(all);
    QApplication::restoreOverrideCursor();
    if (!report.Caption().empty()) setWindowTitle(QString::fromStdString(report.Caption()));
    Label2->setText(QString::fromStdString(report.MinRadText(s.decimals)));
    if (!report.refused.empty()) host_->Message(report.RefusalText());
}

std::vector<std::string> TForm8::resultLines() const {
    return RichEdit1->LineCount() > 0 ? RichEdit1->Lines() : std::vector<std::string>{};
}

void TForm8::editProgram(const std::function<void(std::vector<std::string>&)>& op) {
    ProgramEditor* editor = mainEditor();
    if (!editor) return;
    std::vector<std::string> lines = editor->LineCount() > 0 ? editor->Lines() : std::vector<std::string>{};
    const int caret = editor->SelStart();
    op(lines);
    editor->SetLines(lines);
    editor->SetCaret(std::min<int>(caret, static_cast<int>(editor->BytesView().size())));
    if (Form2) Form2->Redraw();
}

void TForm8::CopyToFileEndClick() {
    const std::vector<std::string> result = resultLines();
    editProgram([&](std::vector<std::string>& lines) { tolva::InsertBeforeLastLine(lines, result); });
}

void TForm8::InsertAboveClick() {
    const std::vector<std::string> result = resultLines();
    const int start = MainWindowAccess ? MainWindowAccess->SelStartLine() : -1;
    editProgram([&](std::vector<std::string>& lines) { tolva::InsertAboveBlock(lines, result, start); });
}

void TForm8::InsertBelowClick() {
    const std::vector<std::string> result = resultLines();
    const int start = MainWindowAccess ? MainWindowAccess->SelStartLine() : -1;
    const int count = MainWindowAccess ? MainWindowAccess->SelLineCount() : 0;
    editProgram([&](std::vector<std::string>& lines) { tolva::InsertBelowBlock(lines, result, start, count); });
}

void TForm8::ReplaceClick() {
    ProgramEditor* editor = mainEditor();
    if (!editor) return;
    RichEdit1->selectAll();
    RichEdit1->copy();
    // The deletion and the paste undo together.
    editor->beginUndoAction();
    editor->removeSelectedText();
    editor->paste();
    editor->endUndoAction();
    if (Form2) Form2->Redraw();
}

void TForm8::PlotClick() {
    if (Form2) Form2->PlotAll(RichEdit1, false, true, 0, 0);
}

void TForm8::Timer1Timer() {
    if (!Form2 || Form2->Plotting()) return;
    tolva::PlotState& st = Form2->State();
    if (st.CurLine == 0) {
        // The program first, then the result line by line over it.
        Form2->PlotAll(mainEditor(), false, true, 0, 0);
        st.CurLine = 1;
    }
    const std::string bytes(RichEdit1->BytesView());
    const tolva::ByteLines lines(bytes);
    if (st.CurLine >= lines.Count()) {
        st.CurLine = 0;
        RichEdit1->SetCaret(0);
        return;
    }
    Form2->Interp().SinglestepPlot(lines, false);
    Form2->Image1->update();
    ++st.CurLine;
    // One character selected at the start of the line that follows.
    const int pos = st.CurLine < RichEdit1->LineCount() ? RichEdit1->PosOfLine(st.CurLine)
                                                        : static_cast<int>(RichEdit1->BytesView().size());
    RichEdit1->SendScintilla(QsciScintillaBase::SCI_SETSEL, pos, pos + 1);
}

bool TForm8::eventFilter(QObject* obj, QEvent* e) {
    if (obj == RichEdit1 || obj == RichEdit1->viewport()) {
        const QEvent::Type t = e->type();
        if ((t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease) &&
            static_cast<QMouseEvent*>(e)->button() == Qt::RightButton) {
            if (t == QEvent::MouseButtonPress)
                Timer1->start();
            else
                Timer1->stop();
            return true;
        }
        // After the editor has acted on the event.
        if ((t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease || t == QEvent::KeyRelease) &&
            ShowPosition)
            QTimer::singleShot(0, this, [this] {
                if (ShowPosition) ShowPosition();
            });
    }
    return ShellWindow::eventFilter(obj, e);
}
