// The program editor's colouring: a QScintilla lexer that styles each line
// with the machine's codes (text/gcode_highlight.h). The codes come from the
// label table in force and change with it.
#pragma once

#include <Qsci/qscilexercustom.h>

#include <vector>

#include "settings/label_table.h"
#include "text/gcode_highlight.h"

namespace tolva {
// The codes the colouring looks for, from the label table as `Setaxis` would
// read it (blanks removed, axis swaps applied): motion rows 1 and 27, arc
// rows 2 and 3, cut rows 8 and 9, comments rows 70 to 71, the line-number
// letter, and the axis and arc words X Y Z I J K R.
HighlightCodes HighlightCodesOf(const LabelTable& table, bool swapXY, bool swapYZ);
}  // namespace tolva

class GcodeLexer : public QsciLexerCustom {
    Q_OBJECT
public:
    explicit GcodeLexer(QObject* parent = nullptr);
    const char* language() const override { return "G-code"; }
    QString description(int style) const override;
    QColor defaultColor(int style) const override;
    QFont defaultFont(int style) const override;
    void styleText(int start, int end) override;
    void setEditor(QsciScintilla* editor) override;

    // New codes restyle the whole document.
    void SetCodes(const tolva::HighlightCodes& codes);
    const tolva::HighlightCodes& Codes() const { return codes_; }

protected:
    // The editor's font changes (the machine file's font): every style takes it.
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    void takeEditorFont();
    tolva::HighlightCodes codes_;
    std::vector<tolva::HighlightStyle> styles_;
};
