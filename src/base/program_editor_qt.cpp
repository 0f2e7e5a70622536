#include "base/program_editor_qt.h"

#include <QKeyEvent>

using tolva::LineEnd;

ProgramEditor::ProgramEditor(QWidget* parent) : QsciScintilla(parent) {
    setUtf8(false);
    setWrapMode(WrapNone);
    setMarginWidth(0, 0);
    setMarginWidth(1, 0);
    setMarginLineNumbers(0, false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1);
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    // A selection stays visible when the editor loses the focus.
    SendScintilla(SCI_HIDESELECTION, 0);
    setEolMode(EolUnix);
    // The menus own these; Scintilla's defaults would swallow them.
    const int ctrl = SCMOD_CTRL << 16;
    for (int key : {'A', 'D', 'L', 'T', 'U', 'S', 'B', 'O', 'I', 'R', 'F', 'N', 'P', 'W', 'E'})
        SendScintilla(SCI_CLEARCMDKEY, static_cast<unsigned long>(key | ctrl));
    SendScintilla(SCI_CLEARCMDKEY, static_cast<unsigned long>('L' | ((SCMOD_CTRL | SCMOD_SHIFT) << 16)));
    SendScintilla(SCI_CLEARCMDKEY, static_cast<unsigned long>('T' | ((SCMOD_CTRL | SCMOD_SHIFT) << 16)));
    SendScintilla(SCI_CLEARCMDKEY, static_cast<unsigned long>('U' | ((SCMOD_CTRL | SCMOD_SHIFT) << 16)));
    // Word of every change before it is made, for those viewing the bytes.
    const long mask = SendScintilla(SCI_GETMODEVENTMASK);
    SendScintilla(SCI_SETMODEVENTMASK, static_cast<unsigned long>(mask | SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE));
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int, int type, const char*, int, int, int, int, int, int, int) {
                if (type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE)) emit aboutToChange();
            });
}

std::string_view ProgramEditor::BytesView() const {
    auto* self = const_cast<ProgramEditor*>(this);
    long len = self->SendScintilla(SCI_GETLENGTH);
    if (len <= 0) return {};
    const char* p = reinterpret_cast<const char*>(self->SendScintilla(SCI_GETCHARACTERPOINTER));
    return std::string_view(p, static_cast<std::size_t>(len));
}

std::string ProgramEditor::Bytes() const { return std::string(BytesView()); }

void ProgramEditor::LoadBytes(std::string_view bytes) {
    SendScintilla(SCI_SETUNDOCOLLECTION, 0L);
    SendScintilla(SCI_CLEARALL);
    if (!bytes.empty()) SendScintilla(SCI_APPENDTEXT, bytes.size(), bytes.data());
    SendScintilla(SCI_SETUNDOCOLLECTION, 1L);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SetLineEndStyle(tolva::DetectLineEnd(bytes));
}

std::vector<std::string> ProgramEditor::Lines() const { return tolva::SplitLines(BytesView()); }

int ProgramEditor::LineCount() const {
    std::string_view b = BytesView();
    if (b.empty()) return 0;
    int n = static_cast<int>(const_cast<ProgramEditor*>(this)->SendScintilla(SCI_GETLINECOUNT));
    char last = b.back();
    return (last == '\n' || last == '\r') ? n - 1 : n;
}

void ProgramEditor::SetLines(const std::vector<std::string>& lines) {
    std::string_view old = BytesView();
    bool finalEnd = !old.empty() && (old.back() == '\n' || old.back() == '\r');
    if (old.empty()) finalEnd = true;
    std::string text = tolva::JoinLines(lines, style_, finalEnd && !lines.empty());
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_SETTARGETSTART, 0L);
    SendScintilla(SCI_SETTARGETEND, SendScintilla(SCI_GETLENGTH));
    SendScintilla(SCI_REPLACETARGET, text.size(), text.data());
    SendScintilla(SCI_ENDUNDOACTION);
}

void ProgramEditor::ReplaceLine(int index, std::string_view text) {
    long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(index));
    long end = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(index));
    if (start < 0) return;
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_SETTARGETSTART, static_cast<unsigned long>(start));
    SendScintilla(SCI_SETTARGETEND, static_cast<unsigned long>(end));
    SendScintilla(SCI_REPLACETARGET, text.size(), text.data());
    SendScintilla(SCI_ENDUNDOACTION);
}

void ProgramEditor::SetLineEndStyle(LineEnd style) {
    style_ = style;
    setEolMode(style == LineEnd::CRLF ? EolWindows : style == LineEnd::CR ? EolMac : EolUnix);
}

bool ProgramEditor::IsModified() const {
    return const_cast<ProgramEditor*>(this)->SendScintilla(SCI_GETMODIFY) != 0;
}
void ProgramEditor::ClearModified() { SendScintilla(SCI_SETSAVEPOINT); }

int ProgramEditor::SelStart() const {
    return static_cast<int>(const_cast<ProgramEditor*>(this)->SendScintilla(SCI_GETSELECTIONSTART));
}
int ProgramEditor::SelLength() const {
    auto* self = const_cast<ProgramEditor*>(this);
    return static_cast<int>(self->SendScintilla(SCI_GETSELECTIONEND) - self->SendScintilla(SCI_GETSELECTIONSTART));
}
int ProgramEditor::LineOfPos(int pos) const {
    if (pos < 0) pos = 0;
    return static_cast<int>(
        const_cast<ProgramEditor*>(this)->SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(pos)));
}
int ProgramEditor::PosOfLine(int line) const {
    return static_cast<int>(
        const_cast<ProgramEditor*>(this)->SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)));
}
void ProgramEditor::SetCaret(int pos) {
    SendScintilla(SCI_GOTOPOS, static_cast<unsigned long>(pos));
}

void ProgramEditor::setFont(const QFont& font) {
    QsciScintilla::setFont(font);
    QWidget::setFont(font);
}

bool ProgramEditor::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride) {
        auto* ke = static_cast<QKeyEvent*>(e);
        int combined = ke->key() | static_cast<int>(ke->modifiers() & ~Qt::KeypadModifier);
        if (reserved_.count(combined)) {
            // Let the window's shortcut have it.
            e->ignore();
            return false;
        }
    }
    return QsciScintilla::event(e);
}
