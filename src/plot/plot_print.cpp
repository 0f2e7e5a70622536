#include "plot/plot_print.h"

#include <algorithm>

namespace tolva {

std::vector<PrintedLine> PlotPrintLines(const PlotPrintInfo& i) {
    std::vector<PrintedLine> out = {
        {100, "Date : " + i.Date + "    Time : " + i.Time + "    File : " + i.MainCaption},
        {200, i.PlotCaption},
        {300, i.CutTime + i.RapidTime + i.TotalTime},
        {400, "Rectangle Area " + i.Area + "   Horizontal " + i.Bigy + "   Vertical " + i.Bigx},
    };
    for (std::size_t k = 0; k < i.Notes.size(); ++k)
        if (!i.Notes[k].second.empty())
            out.push_back({500 + 100 * static_cast<int>(k), i.Notes[k].first + i.Notes[k].second});
    return out;
}

PlotPageLayout LayoutPlotPage(int pageW, int pageH, int textHeight, int margin) {
    PlotPageLayout l;
    pageW = std::max(pageW, 1);
    pageH = std::max(pageH, 1);
    margin = std::max(margin, 0);
    if (pageH >= pageW) {
        l.imageSide = std::max(1, std::min(pageW, pageH - textHeight - 2 * margin));
        l.imageX = (pageW - l.imageSide) / 2;
        l.textX = margin;
        l.textY = l.imageSide + margin;
        l.textWidth = std::max(1, pageW - 2 * margin);
    } else {
        l.imageSide = std::max(1, std::min(pageH, pageW - pageW / 4));
        l.imageX = pageW - l.imageSide;
        l.textX = margin;
        l.textY = margin;
        l.textWidth = std::max(1, l.imageX - 2 * margin);
    }
    return l;
}

}  // namespace tolva
