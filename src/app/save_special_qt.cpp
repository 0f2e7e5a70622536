// The main window's DXF exports and "Save + Split the File  (Special )".
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QSpinBox>
#include <QTimer>

#include "app/app_state.h"
#include "app/document.h"
#include "base/host.h"
#include "app/main_window.h"
#include "base/program_editor_qt.h"
#include "dxf/dxf_export.h"
#include "dxf/dxf_settings.h"
#include "plot/plot_window.h"
#include "plot/program_lines.h"
#include "settings/machine_settings.h"
#include "text/split_file.h"

namespace {

// How long the split's summary stays on the screen, milliseconds.
constexpr int kSplitSummaryMs = 5000;

std::string bytesOf(const QString& s) { return s.toLocal8Bit().toStdString(); }

// A name the current file name could not hold is refused, never cut.
bool nameFits(const std::string& name, tolva::Host& host) {
    if (name.size() <= tolva::kMaxFileName) return true;
    host.Message(tolva::FileNameTooLongMessage(name));
    return false;
}

// The timer that takes the split's summary off the screen: one for the
// window, restarted by each split, so an earlier split's never cuts a later
// summary short. Tests find it by its name.
QTimer* splitSummaryTimer(TForm1& form) {
    if (auto* t = form.findChild<QTimer*>("SplitSummaryTimer", Qt::FindDirectChildrenOnly)) return t;
    auto* t = new QTimer(&form);
    t->setObjectName("SplitSummaryTimer");
    t->setSingleShot(true);
    t->setInterval(kSplitSummaryMs);
    QObject::connect(t, &QTimer::timeout, &form, [&form] {
        form.RichEdit2->LoadBytes({});
        form.RichEdit2->hide();
    });
    return t;
}

// The hourglass for the length of a scope.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

QString TForm1::AskSaveDxfPath(const QString& title, const QString& preset) {
    QFileDialog dlg(this, title, QString(), "*.dxf");
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix("DXF");
    dlg.selectFile(preset);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    return dlg.selectedFiles().first();
}

bool TForm1::WriteDxfOfPlot(const std::string& path, bool linesOnly) {
    tolva::DxfPlotExport request;
    request.kind = linesOnly ? tolva::DxfExportKind::LinesOnly : tolva::DxfExportKind::Full;
    if (Form2) request.viewScaleValue = Form2->SpinEdit1->value();
    request.decimalPlaces = tolva::DxfDecimalPlaces(settings_);
    request.factors = tolva::ImportedAxisFactors();
    tolva::FileStatus st;
    {
        WaitCursor wait;
        // The export plots a copy: nothing done meanwhile can change it.
        const std::string program(RichEdit1->BytesView());
        tolva::ByteLines lines(program);
        st = tolva::ExportPlotDxf(path, lines, settings_, request);
    }
    if (!st.ok) {
        showMessage(st.message);
        return false;
    }
    // The plot window shows what was written.
    if (Form2 && Form2->isVisible()) Form2->Redraw();
    return true;
}

bool TForm1::WriteDxfPointFile(const std::string& path) {
    const tolva::AxisCodes codes = settings_.Setaxis();
    tolva::DxfFormat format;
    format.XSign = codes.xSign;
    format.YSign = codes.ySign;
    format.ZSign = codes.zSign;
    format.DecimalPlaces = tolva::DxfDecimalPlaces(settings_);
    format.factors = tolva::ImportedAxisFactors();
    tolva::FileStatus st;
    {
        WaitCursor wait;
        const std::string program(RichEdit1->BytesView());
        tolva::ByteLines lines(program);
        st = tolva::DxfPointFile(path, lines, codes.letters, format);
    }
    if (!st.ok) showMessage(st.message);
    return st.ok;
}

bool TForm1::SaveAsDxfClick(bool linesOnly) {
    const QString current = QString::fromLocal8Bit(tolva::App().CurrentFileName.c_str());
    const QString picked = AskSaveDxfPath("Save As " + current, "File1.DXF");
    if (picked.isEmpty()) return false;
    const std::string path = bytesOf(picked);
    if (!nameFits(path, host())) return false;
    // A drawing written under a program's name would replace the program.
    if (tolva::UpperExtension(path) != ".DXF" &&
        !host().AskYesNo(path + " is not a .DXF name and may hold a program. Write the DXF drawing over it?"))
        return false;
    return WriteDxfOfPlot(path, linesOnly);
}

bool TForm1::SaveDxfPointsClick() {
    const QString current = QString::fromLocal8Bit(tolva::App().CurrentFileName.c_str());
    const QString picked = AskSaveDxfPath("Save As " + current, "FilePoints1.DXF");
    if (picked.isEmpty()) return false;
    const std::string path = bytesOf(picked);
    if (!nameFits(path, host())) return false;
    if (tolva::UpperExtension(path) == ".DXF") return WriteDxfPointFile(path);
    // Another extension names the program; nothing is written.
    tolva::App().CurrentFileName = path;
    setWindowTitle(QFileInfo(picked).fileName());
    return false;
}

bool TForm1::SaveSplitClick() {
    splitSummaryTimer(*this)->stop();
    // The second editor shows each part over the first while it is built.
    RichEdit2->setGeometry(RichEdit1->geometry());
    RichEdit2->LoadBytes({});
    RichEdit2->show();
    RichEdit2->raise();
    auto hideSecond = [this] {
        RichEdit2->LoadBytes({});
        RichEdit2->hide();
    };
    const tolva::LabelTable& labels = settings_.Labels();
    const tolva::SplitCodes codes{labels.Code(tolva::LabelRow::SplitLines), labels.Code(tolva::LabelRow::Header1),
                                  labels.Code(tolva::LabelRow::Trailer5), labels.Code(tolva::LabelRow::FileEnd),
                                  lettersInForce()};
    const tolva::SplitPlan plan = tolva::SplitProgram(RichEdit1->Lines(), codes, tolva::App().CurrentFileName);
    if (!plan.tooSmall.empty()) {
        showMessage(plan.tooSmall);
        hideSecond();
        return false;
    }
    // Every part's name is checked before the first is written, so a name
    // too long does not stop the split halfway.
    for (const tolva::SplitPart& part : plan.parts)
        if (!nameFits(part.fileName, host())) {
            hideSecond();
            return false;
        }
    {
        WaitCursor wait;
        for (const tolva::SplitPart& part : plan.parts) {
            const std::string text = tolva::JoinLines(part.lines, RichEdit1->LineEndStyle(), true);
            RichEdit2->LoadBytes(text);
            const tolva::FileStatus st = tolva::WriteFileAtomic(part.fileName, text);
            if (!st.ok) {
                // The parts written before stay on disk.
                showMessage(st.message);
                hideSecond();
                return false;
            }
        }
    }
    const std::string summary = " File Split into " + std::to_string(plan.parts.size()) + "\n \n Last Filename " +
                                plan.parts.back().fileName + "\n";
    RichEdit2->LoadBytes(summary);
    splitSummaryTimer(*this)->start();
    return true;
}
