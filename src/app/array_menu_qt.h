// The main menu's "Array": the array window, started from the main window.
#pragma once

class TForm1;

// Shows the array window (which hides the plot window's slide buttons while
// it is shown), linked to the main window's scale passes.
void ArrayClick(TForm1& form1);
