// The text of a printed plot: the information lines and the page notes, each
// with the height on the page it is written at (printer pixels of a 300-dpi
// page, from the top; every line starts 100 such pixels from the left).
#pragma once

#include <array>
#include <string>
#include <vector>

namespace tolva {

struct PlotPrintInfo {
    std::string Date, Time;        // the system's short formats
    std::string MainCaption;       // the main window's caption
    std::string PlotCaption;       // the plot window's: cut, rapid, total distance
    std::string CutTime, RapidTime, TotalTime;  // the three time labels
    std::string Area, Bigx, Bigy;  // the extent labels
    // "Matl Thk ", "Note: ", "Note: ", "Part # ": caption and text; an empty
    // text prints nothing.
    std::array<std::pair<std::string, std::string>, 4> Notes;
};

struct PrintedLine {
    int y;
    std::string text;
};

constexpr int kPrintTextX = 100;
constexpr int kPrintFontHeight = 46;
// The layout's pixels: 300 to the inch.
constexpr int kPrintLayoutDpi = 300;

std::vector<PrintedLine> PlotPrintLines(const PlotPrintInfo& info);

}  // namespace tolva
