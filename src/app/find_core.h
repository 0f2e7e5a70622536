// Find and replace in the program text, the find-and-insert run and the
// decimal ASCII editor's line rebuild. No window here: the find and replace
// dialogs and `TForm7` call these.
//
// Buffers are the editor's document bytes as stored (line ends of one or two
// bytes included), so an offset here is a document position there.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/host.h"
#include "settings/label_table.h"

namespace tolva {

struct FindOptions {
    bool down = true;        // false: search towards the start
    bool matchCase = false;  // false: compare through the ANSI upper-case mapping
    bool wholeWord = false;
};

// `WholeWordDelimiters`: every character but A-Z, a-z and 0-9.
bool IsWholeWordDelimiter(unsigned char c);
// The ANSI (Windows-1252) upper-case mapping of one character.
unsigned char AnsiUpper(unsigned char c);

// `FindInBuffer`: the position of the next match of `text`, or none.
// Down: the first match starting at or after selStart + selLength. Up: the
// last match ending at or before selStart. Whole word: the match must start
// a word (a non-delimiter after a delimiter or the buffer start) and be
// followed by a delimiter or the buffer end; searching down, a word that
// begins exactly at the start position is not found (the rest of the word
// at the caret is skipped first). Runs in time linear in the buffer, also
// for search texts of any length.
std::optional<std::size_t> FindInBuffer(std::string_view buffer, std::size_t selStart, std::size_t selLength,
                                        std::string_view text, const FindOptions& options);

// "Cannot find "text"." — a search text longer than 80 characters is shown
// by its first 80 followed by "...".
std::string CannotFindMessage(std::string_view text);

// Replace step 1: the selected text counts as the find text (without regard
// to case unless match case is set).
bool SelectionMatches(std::string_view selected, std::string_view text, const FindOptions& options);

// Replace with replace all, in one pass: the same text and final selection as
// replacing the selection when it matches and then replacing each next match
// found from the caret after the previous replacement. Searching up, a match
// must lie wholly in text that was there before the run, so a replacement
// that contains the find text ends (each original match is replaced once).
// The result replaces [begin, endOld) of the old buffer by `replacement`.
struct ReplaceAllResult {
    std::size_t count = 0;  // replacements made; 0: nothing changed
    std::size_t begin = 0, endOld = 0;
    std::string replacement;
    std::size_t selStart = 0, selLength = 0;  // the selection afterwards (new buffer)
};
ReplaceAllResult ReplaceAll(std::string_view buffer, std::size_t selStart, std::size_t selLength,
                            std::string_view text, std::string_view replaceWith, const FindOptions& options);

// The twelve find-and-insert texts "Edit0".."Edit11".
using InsertTexts = std::array<std::string, 12>;

// The "Find and Insert" run over the program, in place; returns the number of
// lines inserted. Rules: A (Edit1 found: Edit2 before, Edit3 after), B (Edit0
// found: Edit4 before, Edit5 after), C (Edit8 between a line with Edit6 and a
// following line with Edit7), D (the same with Edit9, Edit10, Edit11). The
// first line never gets a line before it. Inserted lines are examined like
// the others, except that a rule never examines a line it inserted (directly
// or through lines inserted because of it): a text containing its own search
// text is inserted once per original match instead of without end.
std::size_t FindAndInsert(std::vector<std::string>& lines, const InsertTexts& edit);

// The menu's run: FindAndInsert, then Compress (flag 0). An incremental
// program is not compressed (its repeated lines are real moves). True when
// the program changed.
bool FindAndInsertRun(std::vector<std::string>& lines, const InsertTexts& edit, const AxisCodes& codes,
                      Host* host = nullptr);

// Decimal ASCII editor: the code a row-1 cell stands for, 0..255, or -1 when
// the cell is skipped (empty, not a whole number, not positive). Codes are
// taken modulo 256. Line ends (10, 13) are skipped too: they would cut the
// line in two in the editor.
int CellCode(std::string_view cell);
// The line rebuilt from the row-1 cells, in column order, at most 255
// characters.
std::string LineFromCodeCells(const std::vector<std::string>& cells);
// The row-1 cells of a line (its first 255 characters).
std::vector<std::string> CodeCellsOfLine(std::string_view line);

}  // namespace tolva
