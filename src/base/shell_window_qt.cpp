#include "base/shell_window_qt.h"

#include <QWidget>

ShellWindow::ShellWindow(const char* name, const char* caption, QWidget* parent) : QMainWindow(parent) {
    setObjectName(name);
    setWindowTitle(caption);
    setCentralWidget(new QWidget(this));
    resize(400, 300);
}
