// The main menu's "Offset": the offset window's command, started from the
// main window.
#pragma once

class TForm1;

// Refused with the incremental message for an incremental program;
// otherwise shows the offset window with a fresh result of "Auto".
void OffsetClick(TForm1& form1);
