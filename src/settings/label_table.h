// The machine label and translate table: how the configured machine spells
// each code, and from row 29 on, pairs of texts that translate program lines.
//
// 99 rows x 3 columns. Column 0 is a row's title (the "from" text of a
// translate pair), column 1 its code (the "to" text), column 2 the row number
// shown to the user (row + 1). Rows 0..91 are stored in section "Labels" of
// the machine file; rows 92..98 are neither stored nor read. There are no
// built-in codes: an empty cell is a legal, empty code that never matches.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "text/axis_codes.h"

namespace tolva {

class IniFile;

constexpr int kStoredLabelRows = 92;
constexpr int kLabelColumns = 3;

// Readers take at most this many characters of a cell.
constexpr std::size_t kMaxCell = 255;

class LabelTable {
public:
    LabelTable();

    // Out-of-range cells read as empty and ignore writes.
    const std::string& Cell(int column, int row) const;
    void SetCell(int column, int row, std::string text);
    // Column 1 of a row, cut to 255 characters.
    std::string Code(int row) const;

    // Every cell of columns 0 and 1 emptied; column 2 numbered.
    void Clear();
    // Column 2 of row r becomes the text of r + 1.
    void NumberRows();

    // Column 0 and 1 cells of rows 0..91 from section "Labels"; a missing key
    // leaves an empty cell. Column 2 is numbered afterwards.
    void Load(const IniFile& ini);
    // Rows 0..91 into section "Labels": each row's column-1 key, then its
    // column-0 key.
    void Save(IniFile& ini) const;

    // The key of a stored cell as read, and as written (rows 20..22 are
    // written with other capitals: "XY Plane" where "XY PLANE" is read).
    static std::string LoadKey(int column, int row);
    static std::string SaveKey(int column, int row);

private:
    std::array<std::array<std::string, kLabelColumns>, kLabelRows> cells_;
};

// One translate step: the first occurrence of column 0 of `row` in `line`
// (exact, case-sensitive) is replaced by column 1; an empty "from" text never
// matches. The result is cut to `limit` characters (a send keeps every
// character: it passes no limit).
std::string Translate(const LabelTable& table, int row, std::string_view line, std::size_t limit = kMaxCell);

// Applies rows first..last in increasing order to each line, each row working
// on the result of the one before (so a later row may replace what an earlier
// one produced).
void TranslateLines(const LabelTable& table, int firstRow, int lastRow, std::vector<std::string>& lines);

// Removes the blanks from rows 1..19, 80..82 and 90..91 of `table` (written
// back) and builds the codes and letters; signs and timer stay at their
// defaults (the settings supply them).
AxisCodes MakeAxisCodes(LabelTable& table, bool swapXY, bool swapYZ);

}  // namespace tolva
