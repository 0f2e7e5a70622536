// Window "Offsetting": created at start and kept for the life of the program.
#pragma once

#include "base/shell_window_qt.h"

class TForm8;
inline TForm8* Form8 = nullptr;

class TForm8 : public ShellWindow {
    Q_OBJECT
public:
    explicit TForm8(QWidget* parent = nullptr) : ShellWindow("Form8", "Offsetting", parent) { Form8 = this; }
};

