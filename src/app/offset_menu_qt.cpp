#include "app/offset_menu_qt.h"

#include <QLabel>

#include "app/ascii_window.h"
#include "app/app_state.h"
#include "app/main_window.h"
#include "base/program_editor_qt.h"
#include "tools/offset_window.h"

namespace {

// The position indicator of the offset window's editor: the main window's
// indicator text, without touching the program's highlighted block.
void showOffsetPosition(TForm8& form8) {
    ProgramEditor* e = form8.RichEdit1;
    const int start = e->SelStart(), len = e->SelLength();
    const int first = e->LineOfPos(start);
    const int last = start + len - 1 < 0 ? first - 1 : e->LineOfPos(start + len - 1);
    const tolva::BlockPosition b = tolva::ShowLineNumText(first, last, start - e->PosOfLine(first));
    form8.Panel2->setText(QString::fromStdString(b.text));
    if (Form7) Form7->hide();
}

}  // namespace

void OffsetClick(TForm1& form1) {
    if (!Form8) return;
    TForm8& form8 = *Form8;
    if (!form8.ShowPosition) form8.ShowPosition = [&form8] { showOffsetPosition(form8); };
    form8.OffsetClick(form1.host());
}
