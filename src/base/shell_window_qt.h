// Common frame of the program's secondary windows: an object name, a caption
// and an empty central area that the window's own controls fill.
#pragma once

#include <QMainWindow>

class ShellWindow : public QMainWindow {
public:
    ShellWindow(const char* name, const char* caption, QWidget* parent);
};
