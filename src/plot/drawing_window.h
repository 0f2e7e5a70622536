// Window "Drawing": created at start and kept for the life of the program.
#pragma once

#include "base/shell_window_qt.h"

class TForm4;
inline TForm4* Form4 = nullptr;

class TForm4 : public ShellWindow {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr) : ShellWindow("Form4", "Drawing", parent) { Form4 = this; }
};

