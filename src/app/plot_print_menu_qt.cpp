// The main window's plot printing: "Print P&lot", the tool button "Plot" and
// "Print &Window", all on the printer "Print S&etup" chooses.
#include <QApplication>

#include "app/main_window.h"
#include "base/window_print_qt.h"
#include "plot/plot_window.h"

void TForm1::PrintPlotClick() {
    if (Form2 && !Form2->PrintPlot(Printer())) showMessage("The printer could not be opened.");
}

void TForm1::PrintWindowClick() {
    if (!Form2) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = PrintWindowImage(Printer(), *Form2);
    QApplication::restoreOverrideCursor();
    if (!ok) showMessage("The printer could not be opened.");
}
