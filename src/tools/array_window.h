// Window "Array": created at start and kept for the life of the program.
#pragma once

#include "base/shell_window_qt.h"

class TForm9;
inline TForm9* Form9 = nullptr;

class TForm9 : public ShellWindow {
    Q_OBJECT
public:
    explicit TForm9(QWidget* parent = nullptr) : ShellWindow("Form9", "Array", parent) { Form9 = this; }
};

