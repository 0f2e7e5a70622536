// Window "Comm": created at start and kept for the life of the program.
#pragma once

#include "base/shell_window_qt.h"

class TForm5;
inline TForm5* Form5 = nullptr;

class TForm5 : public ShellWindow {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr) : ShellWindow("Form5", "Comm", parent) { Form5 = this; }
};

