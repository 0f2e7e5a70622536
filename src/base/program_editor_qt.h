// The program editor: a QScintilla control in byte mode. Every byte 0..255
// is held as it is and shown as Latin-1; the document's bytes are what a save
// writes, so an unedited program saves byte for byte as it was loaded.
#pragma once

#include <Qsci/qsciscintilla.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/program_file.h"

class ProgramEditor : public QsciScintilla {
    Q_OBJECT
public:
    explicit ProgramEditor(QWidget* parent = nullptr);

    // Raw document bytes (line ends as stored).
    std::string Bytes() const;
    std::string_view BytesView() const;
    // Replaces the whole document without undo history (a load).
    void LoadBytes(std::string_view bytes);
    // The program's lines, split at CR LF, LF or CR.
    std::vector<std::string> Lines() const;
    // Lines as a text list counts them: a final line end starts no new line.
    int LineCount() const;
    // Replaces the whole text by `lines` as one undoable edit, keeping the
    // document's line-end style and whether it ended with a line end.
    void SetLines(const std::vector<std::string>& lines);
    // Replaces line `index` (0-based) by `text`, one undoable edit.
    void ReplaceLine(int index, std::string_view text);

    tolva::LineEnd LineEndStyle() const { return style_; }
    void SetLineEndStyle(tolva::LineEnd style);

    bool IsModified() const;
    void ClearModified();

    // Selection in document positions (bytes).
    int SelStart() const;
    int SelLength() const;
    int LineOfPos(int pos) const;
    int PosOfLine(int line) const;
    void SetCaret(int pos);

    // The program's font. QScintilla ignores its own setFont once a lexer
    // colours the text; here the widget's font changes either way and the
    // lexer takes it from there (a FontChange event).
    void setFont(const QFont& font);

    // Keys the main window's menus own: the editor gives way to them.
    void SetReservedKeys(std::set<int> keys) { reserved_ = std::move(keys); }

signals:
    // The document's bytes are about to change (or move): BytesView() views
    // taken before are still valid while this is handled, and not after.
    void aboutToChange();

protected:
    bool event(QEvent* e) override;

private:
    std::set<int> reserved_;
    tolva::LineEnd style_ = tolva::LineEnd::LF;
};
