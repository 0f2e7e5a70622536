// The plot window's "Print" menu: the plot printed with its information
// lines and page notes, and the window printed as it looks.
#include <QAction>
#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTime>

#include <algorithm>

#include "base/main_editor_qt.h"
#include "base/window_print_qt.h"
#include "plot/plot_print.h"
#include "plot/plot_window.h"

namespace {

QString printerProblem() { return "The printer could not be opened."; }

}  // namespace

void TForm2::buildPrintMenu() {
    Print1 = menuBar()->addMenu("P&rint");
    Print1->setObjectName("Print1");
    PageNotes1 = Print1->addAction("Enter Page Notes", this, [this] { PageNotes1Click(); });
    PageNotes1->setObjectName("PageNotes1");
    PrintNotes1 = Print1->addAction("Print + Notes", this, [this] { PrintNotes1Click(); });
    PrintNotes1->setObjectName("PrintNotes1");
    FormPrint1 = Print1->addAction("Form Print", this, [this] { FormPrint1Click(); });
    FormPrint1->setObjectName("FormPrint1");

    // The note fields lie on the canvas's top-left corner, hidden until asked for.
    struct Field {
        QLabel** label;
        QLineEdit** edit;
        const char *labelName, *caption, *editName;
        bool bold;
    };
    const Field fields[] = {{&Label6, &Edit1, "Label6", "Matl Thk ", "Edit1", false},
                            {&Label7, &Edit2, "Label7", "Note: ", "Edit2", true},
                            {&Label8, &Edit4, "Label8", "Note: ", "Edit4", false},
                            {&Label9, &Edit3, "Label9", "Part # ", "Edit3", true}};
    int y = 10;
    for (const Field& f : fields) {
        *f.label = new QLabel(f.caption, Image1);
        (*f.label)->setObjectName(f.labelName);
        (*f.label)->setGeometry(10, y + 3, 70, 20);
        *f.edit = new QLineEdit(Image1);
        (*f.edit)->setObjectName(f.editName);
        (*f.edit)->setGeometry(80, y, 300, 24);
        if (f.bold) {
            QFont font = (*f.edit)->font();
            font.setBold(true);
            (*f.edit)->setFont(font);
        }
        (*f.label)->hide();
        (*f.edit)->hide();
        y += 30;
    }
}

QPrinter& TForm2::Printer() {
    if (MainWindowAccess)
        if (QPrinter* p = MainWindowAccess->SharedPrinter()) return *p;
    if (!ownPrinter_) ownPrinter_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *ownPrinter_;
}

void TForm2::PageNotes1Click() {
    ScrollBox1->horizontalScrollBar()->setValue(0);
    ScrollBox1->verticalScrollBar()->setValue(0);
    for (QWidget* w : std::initializer_list<QWidget*>{Label6, Edit1, Label7, Edit2, Label8, Edit4, Label9, Edit3})
        w->show();
}

void TForm2::PrintNotes1Click() {
    if (!PrintPlot(Printer())) pump_.Message(printerProblem().toStdString());
}

void TForm2::FormPrint1Click() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = PrintWindowImage(Printer(), *this);
    QApplication::restoreOverrideCursor();
    if (!ok) pump_.Message(printerProblem().toStdString());
}

bool TForm2::PrintPlot(QPrinter& printer) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    tolva::PlotPrintInfo info;
    const QLocale locale;
    info.Date = locale.toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
    info.Time = locale.toString(QTime::currentTime(), QLocale::ShortFormat).toStdString();
    if (auto* main = dynamic_cast<QWidget*>(MainWindowAccess)) info.MainCaption = main->windowTitle().toStdString();
    info.PlotCaption = windowTitle().toStdString();
    info.CutTime = CutTimeLabel->text().toStdString();
    info.RapidTime = RapidTimeLabel->text().toStdString();
    info.TotalTime = TotalTimeLabel->text().toStdString();
    info.Area = Area->text().toStdString();
    info.Bigx = Bigx->text().toStdString();
    info.Bigy = Bigy->text().toStdString();
    const std::pair<QLabel*, QLineEdit*> notes[] = {{Label6, Edit1}, {Label7, Edit2}, {Label8, Edit4}, {Label9, Edit3}};
    for (std::size_t k = 0; k < 4; ++k)
        info.Notes[k] = {notes[k].first->text().toStdString(), notes[k].second->text().toStdString()};

    QPainter p;
    if (!p.begin(&printer)) {
        QApplication::restoreOverrideCursor();
        return false;
    }
    // The text's layout is in pixels of a 300-dpi page, whatever the printer's resolution.
    const double k = printer.resolution() / static_cast<double>(tolva::kPrintLayoutDpi);
    QFont font("Arial");
    font.setPixelSize(std::max(1, static_cast<int>(tolva::kPrintFontHeight * k)));
    p.setFont(font);
    p.setPen(Qt::black);
    const QRect page = p.viewport();
    const int margin = static_cast<int>(tolva::kPrintTextX * k);
    const std::vector<tolva::PrintedLine> lines = tolva::PlotPrintLines(info);
    // Each line at its place in the layout, pushed down by the lines before
    // it that needed more than one row in the width they have.
    auto place = [&](int width, bool draw, int left, int top) {
        int extra = 0, bottom = 0;
        for (const tolva::PrintedLine& l : lines) {
            const int y = top + static_cast<int>((l.y - 100) * k) + extra;
            const QRect box(left, y, width, page.height() * 4);
            const QString text = QString::fromStdString(l.text);
            const QRect used = p.fontMetrics().boundingRect(box, Qt::TextWordWrap, text);
            if (draw) p.drawText(box, Qt::TextWordWrap, text);
            extra += std::max(0, used.height() - static_cast<int>(100 * k));
            bottom = std::max(bottom, y + used.height());
        }
        return bottom - top;
    };
    const int textHeight = place(std::max(1, page.width() - 2 * margin), false, 0, 0);
    const tolva::PlotPageLayout layout = tolva::LayoutPlotPage(page.width(), page.height(), textHeight, margin);
    p.drawImage(QRect(layout.imageX, layout.imageY, layout.imageSide, layout.imageSide), canvas_.Image());
    place(layout.textWidth, true, layout.textX, layout.textY);
    p.end();
    QApplication::restoreOverrideCursor();
    return true;
}
