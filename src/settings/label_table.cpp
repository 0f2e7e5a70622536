#include "settings/label_table.h"

#include <algorithm>
#include <utility>

#include "settings/ini_file.h"

namespace tolva {
namespace {

constexpr std::string_view kSection = "Labels";

// Column-1 keys of rows 0..22 and 80..91.
constexpr std::string_view kCodeKeys[] = {
    "File Start", "Line", "Arc Cw", "Arc Ccw", "Kerf Comp Left", "Kerf Comp Right", "Absolute",
    "Incremental", "Begin Block", "End Block", "File End", "Lead In", "N Letter", "R Letter",
    "I Letter", "J Letter", "K Letter", "X Letter", "Y Letter", "Z Letter",
    "XY PLANE", "XZ PLANE", "YZ PLANE"};
constexpr std::string_view kHighCodeKeys[] = {
    "A Letter", "B Letter", "C Letter", "StopA", "StopB", "StopC",
    "AddX", "AddY", "AddZ", "MaxR", "G12", "G13"};

bool isTranslateRow(int row) { return row >= 23 && row <= 79; }

std::string twoDigits(int row) { return (row < 10 ? "0" : "") + std::to_string(row); }

const std::string kEmpty;

std::string cut(std::string_view s) { return std::string(s.substr(0, kMaxCell)); }

}  // namespace

LabelTable::LabelTable() { NumberRows(); }

const std::string& LabelTable::Cell(int column, int row) const {
    if (column < 0 || column >= kLabelColumns || row < 0 || row >= kLabelRows) return kEmpty;
    return cells_[row][column];
}

void LabelTable::SetCell(int column, int row, std::string text) {
    if (column < 0 || column >= kLabelColumns || row < 0 || row >= kLabelRows) return;
    cells_[row][column] = std::move(text);
}

std::string LabelTable::Code(int row) const { return cut(Cell(1, row)); }

void LabelTable::Clear() {
    for (auto& row : cells_) row[0].clear(), row[1].clear();
    NumberRows();
}

void LabelTable::NumberRows() {
    for (int r = 0; r < kLabelRows; ++r) cells_[r][2] = std::to_string(r + 1);
}

std::string LabelTable::LoadKey(int column, int row) {
    if (row < 0 || row >= kStoredLabelRows || column < 0 || column > 1) return {};
    if (isTranslateRow(row)) return (column == 1 ? "Trans1" : "Trans0") + twoDigits(row);
    if (column == 0) return "Title" + std::to_string(row);
    return std::string(row < 23 ? kCodeKeys[row] : kHighCodeKeys[row - 80]);
}

std::string LabelTable::SaveKey(int column, int row) {
    // Earlier versions wrote these three with small letters; keep new files alike.
    if (column == 1 && row == LabelRow::XYPlane) return "XY Plane";
    if (column == 1 && row == LabelRow::XZPlane) return "XZ Plane";
    if (column == 1 && row == LabelRow::YZPlane) return "YZ Plane";
    return LoadKey(column, row);
}

void LabelTable::Load(const IniFile& ini) {
    for (int r = 0; r < kStoredLabelRows; ++r) {
        cells_[r][1] = ini.ReadString(kSection, LoadKey(1, r), "");
        cells_[r][0] = ini.ReadString(kSection, LoadKey(0, r), "");
    }
    NumberRows();
}

void LabelTable::Save(IniFile& ini) const {
    for (int r = 0; r < kStoredLabelRows; ++r) {
        ini.Write(kSection, SaveKey(1, r), cells_[r][1]);
        ini.Write(kSection, SaveKey(0, r), cells_[r][0]);
    }
}

std::string Translate(const LabelTable& table, int row, std::string_view line, std::size_t limit) {
    std::string from = cut(table.Cell(0, row));
    std::string out(line);
    if (!from.empty()) {
        std::size_t p = out.find(from);
        if (p != std::string::npos) out.replace(p, from.size(), cut(table.Cell(1, row)));
    }
    if (out.size() > limit) out.resize(limit);
    return out;
}

void TranslateLines(const LabelTable& table, int firstRow, int lastRow, std::vector<std::string>& lines) {
    if (firstRow > lastRow) return;
    // The pairs are read once, and each line is changed in place: a whole
    // program is translated line by line, and a million lines times 41 rows
    // of copies would be most of the work.
    std::vector<std::pair<std::string, std::string>> pairs;
    for (int r = firstRow; r <= lastRow; ++r) {
        std::string from = cut(table.Cell(0, r));
        if (!from.empty()) pairs.emplace_back(std::move(from), cut(table.Cell(1, r)));
    }
    for (std::string& line : lines) {
        if (line.size() > kMaxCell) line.resize(kMaxCell);
        for (const auto& [from, to] : pairs) {
            const std::size_t p = line.find(from);
            if (p == std::string::npos) continue;
            line.replace(p, from.size(), to);
            if (line.size() > kMaxCell) line.resize(kMaxCell);
        }
    }
}

AxisCodes MakeAxisCodes(LabelTable& table, bool swapXY, bool swapYZ) {
    auto strip = [&](int row) {
        std::string s = table.Cell(1, row);
        s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
        table.SetCell(1, row, std::move(s));
    };
    for (int r = 1; r <= 19; ++r) strip(r);
    for (int r = 80; r <= 82; ++r) strip(r);
    for (int r = 90; r <= 91; ++r) strip(r);

    AxisCodes a;
    a.swapXY = swapXY;
    a.swapYZ = swapYZ;
    for (int r = 0; r < kLabelRows; ++r) a.codes[r] = table.Code(r);
    using namespace LabelRow;
    Letters& l = a.letters;
    l.N = a.codes[NLetter];
    l.R = a.codes[RLetter];
    l.I = a.codes[ILetter];
    l.J = a.codes[JLetter];
    l.K = a.codes[KLetter];
    l.X = a.codes[XLetter];
    l.Y = a.codes[YLetter];
    l.Z = a.codes[ZLetter];
    if (swapXY) {
        l.X = a.codes[YLetter];
        l.Y = a.codes[XLetter];
        l.I = a.codes[JLetter];
        l.J = a.codes[ILetter];
    }
    // Applied after the XY exchange, and from the rows, not from the letters
    // already exchanged.
    if (swapYZ) {
        l.Y = a.codes[ZLetter];
        l.Z = a.codes[YLetter];
        l.J = a.codes[KLetter];
        l.K = a.codes[JLetter];
    }
    return a;
}

}  // namespace tolva
