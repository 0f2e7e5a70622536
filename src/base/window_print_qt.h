// Printing a window as the window system renders it, scaled to fit the page.
#pragma once

class QPrinter;
class QWidget;

// One page on `printer`: the window's image as large as the printable area
// allows, its proportions kept, at the top left. False when the printer
// could not be opened (nothing was printed).
bool PrintWindowImage(QPrinter& printer, QWidget& window);
