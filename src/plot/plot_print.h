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

// Where the square image and the text go on a page of pageW x pageH printer
// pixels. A page higher than wide: the image across the top (as wide as the
// page, smaller when the text would not fit under it), the text below it.
// A wider page: the image as high as the page against the right edge, the
// text in the strip on its left (at least a quarter of the page wide).
// `textHeight` is what the text needs on a portrait page; `margin` is kept
// between the text and the image and the page's edges.
struct PlotPageLayout {
    int imageX = 0, imageY = 0, imageSide = 0;
    int textX = 0, textY = 0, textWidth = 0;
};
PlotPageLayout LayoutPlotPage(int pageW, int pageH, int textHeight, int margin);

}  // namespace tolva
