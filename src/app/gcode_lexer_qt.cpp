#include "app/gcode_lexer_qt.h"

#include <Qsci/qsciscintilla.h>

#include <QEvent>

#include <algorithm>

namespace tolva {

HighlightCodes HighlightCodesOf(const LabelTable& table, bool swapXY, bool swapYZ) {
    LabelTable copy = table;  // MakeAxisCodes writes the blank-free codes back
    const AxisCodes a = MakeAxisCodes(copy, swapXY, swapYZ);
    HighlightCodes c;
    c.motion = {a.Code(LabelRow::Line), a.Code(LabelRow::Rapid)};
    c.arc = {a.Code(LabelRow::ArcCw), a.Code(LabelRow::ArcCcw)};
    c.cut = {a.Code(LabelRow::BeginBlock), a.Code(LabelRow::EndBlock)};
    c.commentStart = table.Code(LabelRow::CommentStart);
    c.commentEnd = table.Code(LabelRow::CommentEnd);
    const Letters& l = a.letters;
    c.lineLetter = l.N;
    c.axisLetters = {l.X, l.Y, l.Z, l.I, l.J, l.K, l.R};
    // The rapid row holds a whole code with blanks in some machine files.
    c.motion[1].erase(std::remove(c.motion[1].begin(), c.motion[1].end(), ' '), c.motion[1].end());
    return c;
}

}  // namespace tolva

using tolva::HighlightStyle;

GcodeLexer::GcodeLexer(QObject* parent) : QsciLexerCustom(parent) {}

QString GcodeLexer::description(int style) const {
    switch (static_cast<HighlightStyle>(style)) {
        case HighlightStyle::Plain: return "Default";
        case HighlightStyle::Motion: return "Motion code";
        case HighlightStyle::Arc: return "Arc code";
        case HighlightStyle::Cut: return "Cut on/off";
        case HighlightStyle::Comment: return "Comment";
        case HighlightStyle::LineNumber: return "Line number";
        case HighlightStyle::Axis: return "Axis word";
        default: return {};
    }
}

QColor GcodeLexer::defaultColor(int style) const {
    switch (static_cast<HighlightStyle>(style)) {
        case HighlightStyle::Motion: return QColor(0, 0, 192);
        case HighlightStyle::Arc: return QColor(128, 0, 160);
        case HighlightStyle::Cut: return QColor(200, 0, 0);
        case HighlightStyle::Comment: return QColor(0, 128, 0);
        case HighlightStyle::LineNumber: return QColor(128, 128, 128);
        case HighlightStyle::Axis: return QColor(0, 110, 130);
        default: return QColor(0, 0, 0);
    }
}

QFont GcodeLexer::defaultFont(int style) const {
    // The editor's own font (the machine file's choice), so the colouring
    // does not change the look of the text otherwise.
    QFont f = editor() ? editor()->font() : QsciLexer::defaultFont(style);
    if (static_cast<HighlightStyle>(style) == HighlightStyle::Comment) f.setItalic(true);
    return f;
}

void GcodeLexer::setEditor(QsciScintilla* e) {
    if (editor()) editor()->removeEventFilter(this);
    QsciLexerCustom::setEditor(e);
    if (e) {
        e->installEventFilter(this);
        takeEditorFont();
    }
}

bool GcodeLexer::eventFilter(QObject* obj, QEvent* e) {
    if (e->type() == QEvent::FontChange && obj == editor()) takeEditorFont();
    return QsciLexerCustom::eventFilter(obj, e);
}

void GcodeLexer::takeEditorFont() {
    for (int s = 0; s < static_cast<int>(HighlightStyle::Count); ++s) setFont(defaultFont(s), s);
}

void GcodeLexer::SetCodes(const tolva::HighlightCodes& codes) {
    if (codes == codes_) return;
    codes_ = codes;
    if (QsciScintilla* e = editor()) {
        const long length = e->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
        e->SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0L, length);
    }
}

void GcodeLexer::styleText(int start, int end) {
    QsciScintilla* e = editor();
    if (!e || end <= start) return;
    const int firstLine = static_cast<int>(e->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, start));
    const int lastLine = static_cast<int>(e->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, end));
    const int from = static_cast<int>(e->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, firstLine));
    startStyling(from);
    const char* text = reinterpret_cast<const char*>(e->SendScintilla(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
    for (int line = firstLine; line <= lastLine; ++line) {
        const int ls = static_cast<int>(e->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line));
        const int le = static_cast<int>(e->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, line));
        const int next = line + 1 < e->lines()
                             ? static_cast<int>(e->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line + 1))
                             : le;
        tolva::HighlightLine(std::string_view(text + ls, static_cast<std::size_t>(le - ls)), codes_, styles_);
        // Runs of one style at a time.
        std::size_t i = 0;
        while (i < styles_.size()) {
            std::size_t j = i;
            while (j < styles_.size() && styles_[j] == styles_[i]) ++j;
            setStyling(static_cast<int>(j - i), static_cast<int>(styles_[i]));
            i = j;
        }
        if (next > le) setStyling(next - le, 0);
    }
}
